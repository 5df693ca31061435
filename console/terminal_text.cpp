#include "console/terminal_text.h"

#include <cstdio>
#include <cstring>

#include "console/platform_console.h"

namespace {
bool inRange(std::int32_t coordinate, std::int32_t limit) { return coordinate >= 1 && coordinate <= limit; }

// Bell, tab and line feed act on the screen as they would on a console; any other control byte
// is shown as a caret and a letter (Esc as ^[), the visible stand-in for the glyph a console
// draws. Echoed raw, a typed Esc would start a control sequence of the terminal's own.
bool echoedAsCaret(unsigned char c) { return (c < 32 && c != 7 && c != 9 && c != 10) || c == 127; }

std::size_t copied(std::string_view bytes, char* out) { return bytes.copy(out, bytes.size()); }
} // namespace

CursorMove cursorMove(std::int32_t row, std::int32_t column, ScreenSize screen) {
    CursorMove move;
    const bool rowGiven = inRange(row, screen.rows);
    move.columnGiven = inRange(column, screen.columns);
    int length = 0;
    if (rowGiven && move.columnGiven) {
        length = std::snprintf(move.sequence, sizeof move.sequence, "\x1b[%d;%dH", row, column);
    } else if (rowGiven) {
        length = std::snprintf(move.sequence, sizeof move.sequence, "\x1b[%dd", row);
    } else if (move.columnGiven) {
        length = std::snprintf(move.sequence, sizeof move.sequence, "\x1b[%dG", column);
    }
    move.length = length > 0 ? std::size_t(length) : 0;
    return move;
}

bool leavesCursorAtLineStart(const char* bytes, std::size_t count, bool before) {
    if (count == 0) return before;
    return bytes[count - 1] == '\n' || bytes[count - 1] == '\r';
}

namespace consolePlatform {

bool isBackspace(unsigned char c) { return c == 8 || c == 127; }

std::size_t shownAs(unsigned char c, char* out) {
    if (!echoedAsCaret(c)) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    out[0] = '^';
    out[1] = static_cast<char>(c ^ 0x40);
    return 2;
}

std::size_t erasing(unsigned char c, char* out) { return copied(echoedAsCaret(c) ? "\b\b  \b\b" : "\b \b", out); }

} // namespace consolePlatform
