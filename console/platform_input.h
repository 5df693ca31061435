#pragma once
// What each platform supplies to the console's portable input (input.cpp): a handful of
// primitives over the keyboard, the screen's echo and redirected standard input. Private to the
// console service.
#include <cstddef>
#include <optional>

// The part of the console's state that the portable input keeps: redirected input read but not
// yet consumed, and the end of input. Each platform's console state holds it.
struct LineInputState {
    unsigned char readAhead[128] = {};
    int readAheadCount = 0;
    bool inputEnded = false;
    // The read-ahead after the last redirected line found no data yet (the writer of a pipe had
    // not written); the next readLine waits for it.
    bool readAheadDeferred = false;
};

// A key as pollKey and waitKey give it: one character, or byte 0 followed by a scan code.
struct KeyBytes {
    unsigned char text[2] = {};
    std::size_t length = 0;
};

namespace platformInput {

LineInputState& lineInputState();
// Whether lines come from the keyboard through the line editor.
bool inputIsConsole();

// The next typed character, waiting for it; keys that produce none are skipped.
unsigned char readTyped();
// Whether a typed character can be taken at once.
bool typedWaiting();
bool isBackspace(unsigned char c);
inline constexpr std::size_t longestEcho = 6;
// The bytes that show a typed character on the screen, and that take it off again, put at
// `out` (room for longestEcho); their count.
std::size_t shownAs(unsigned char c, char* out);
std::size_t erasing(unsigned char c, char* out);
// Shows the bytes on the screen in one write; a failure is of no consequence.
void echo(const char* bytes, std::size_t count);

// The next key; with `waitForIt` clear, nothing at once when no key is waiting.
std::optional<KeyBytes> takeKey(bool waitForIt);

// Reads what redirected standard input holds, waiting for it; 0 at the end of the data or on a
// failure. A pipe is at its end only when its writer has closed it.
std::size_t readRedirected(unsigned char* buffer, std::size_t size);
// Whether such a read would return at once: false for a pipe whose writer has not written yet.
bool redirectedWaiting();

} // namespace platformInput
