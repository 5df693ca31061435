#pragma once
// What the platforms whose console is a terminal (posix/, web/) send it beside the program's own
// text: cursor moves as control sequences, and typed characters in caret notation. Those
// platforms take consolePlatform::isBackspace, shownAs and erasing from here.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

// The cursor's range on the screen. A dimension the terminal does not know (serial lines often
// report 0) takes any position along it as in range.
struct ScreenSize {
    std::int32_t rows = std::numeric_limits<std::int32_t>::max();
    std::int32_t columns = std::numeric_limits<std::int32_t>::max();
};

// Row and column 1 are on every screen, and 0 on none: only a larger coordinate needs the
// screen's size, which may cost the platform a call.
inline bool needsScreenSize(std::int32_t row, std::int32_t column) { return row > 1 || column > 1; }

// The control sequence of locate(row, column): a coordinate out of range is left out of it, so
// the terminal keeps its current value without the position having to be asked for.
struct CursorMove {
    char sequence[32] = {};
    std::size_t length = 0; // 0 when neither coordinate is in range
    bool columnGiven = false;
};
CursorMove cursorMove(std::int32_t row, std::int32_t column, ScreenSize screen);

// locate(0, 1) as written with the text that follows it.
inline constexpr std::string_view toLineStart = "\x1b[1G";

// Whether text that ends with these bytes leaves the cursor at column 1. Wrapping is the
// terminal's own work: only a line end or a carriage return written last is known to.
bool leavesCursorAtLineStart(const char* bytes, std::size_t count, bool before);
