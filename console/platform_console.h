#pragma once
// Everything a platform supplies to the console service (console.h), which does the rest the
// same on every platform: the line editor and its end of input, lines of redirected input, the
// generation counter's line, blanks. posix/ is a terminal, win32/ the Windows console, web/ the
// page's terminal widget; a platform whose keys arrive as a terminal's bytes decodes them with
// terminal_keys.h.
//
// Every operation runs on the program's main thread, after open() unless it says otherwise.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/console.h"
#include "console/key.h"
#include "runtime/errors.h"

namespace consolePlatform {

// ---- Handles and modes

// Takes the standard handles and the keyboard, and puts the keyboard into its raw mode: typed
// characters arrive one by one, unechoed, Ctrl+C among them as the character 3.
void open();
// Puts back the modes open() changed and closes the keyboard.
void close();
// Whether typed lines come from the keyboard through the line editor; otherwise standard input
// is redirected and read raw.
bool linesFromKeyboard();

// ---- Writing

// Writes the bytes to standard output in one write: none when every byte was written, otherwise
// the run-time error of the failure (shortWrite for a short write).
RunError writeOutput(const char* bytes, std::size_t count);
// Writes the bytes to standard error in one write; a failure is ignored.
void writeErrorOutput(const char* bytes, std::size_t count);
// Shows the line editor's echo on the screen in one write; a failure is of no consequence.
void echo(const char* bytes, std::size_t count);
// Writes a command-line answer with line ends "\n" as the system's own tools do; runs before
// open(). True when every byte was written.
bool writeStandardText(StandardStream stream, std::string_view text);

// ---- Cursor

// Moves the screen's cursor (1-based); a coordinate out of range keeps its current value, and
// without a screen nothing happens.
void locate(std::int32_t row, std::int32_t column);
// What moves the cursor to column 1 of its line when standard output is the screen, written
// with the text that follows in one write; empty when standard output is redirected.
std::string_view lineStartPrefix();
// On a screen whose cursor is not at column 1, moves it to the start of the next line.
void startFreshLine();

// ---- Typed characters, for the line editor

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

// ---- Keys

// The next key; with `waitForIt` clear, no key at once when none is waiting.
Key takeKey(bool waitForIt);

// ---- Redirected standard input

// Reads what redirected standard input holds, waiting for it; 0 at the end of the data or on a
// failure. A pipe is at its end only when its writer has closed it.
std::size_t readRedirected(unsigned char* buffer, std::size_t size);
// Whether such a read would return at once: false for a pipe whose writer has not written yet.
bool redirectedWaiting();

} // namespace consolePlatform
