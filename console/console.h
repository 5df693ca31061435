#pragma once
#include <cstdint>
#include <string_view>

#include "console/key.h"
#include "text/text.h"

// The console text service: what the program sees of the console, the same on every platform
// (what each platform supplies is platform_console.h). Texts are byte strings in the console's
// code page; every failure is recorded by raiseError and the program goes on.

// Empties the line input's state, prepares the handles and puts the keyboard into raw mode; the
// modes are restored by shutDownConsole, and on a terminal also at process exit and when a
// terminating signal arrives.
void initConsole();
// Ends the line the cursor stands on, closes the keyboard and restores its modes.
void shutDownConsole();

// Writes the text's bytes to standard output in one write (nothing for the empty text).
void print(const Text& text);
// Writes the line end 13, 10.
void newLine();
void printLine(const Text& text);
// Writes the text and the line end 13, 10 to standard error in one write. Nothing is recorded
// when it fails: standard error may have gone with the terminal.
void printErrorLine(const Text& text);
// Where a command-line answer goes.
enum class StandardStream { output, error };
// Writes a command-line answer, with line ends "\n", to standard output or standard error as
// the system's own tools do: needs no preparation, and each "\n" becomes the system's line end.
// True when every byte was written.
bool writeStandardText(StandardStream stream, std::string_view text);
// On a terminal screen whose cursor is not at column 1, moves it to the start of the next line,
// so that a message or the shell's prompt does not stand behind the text there. Does nothing
// when the screen is not a terminal: redirected output keeps exactly what was written.
void startFreshLine();
// Moves the terminal cursor (1-based); a coordinate out of range keeps its current value.
void locate(std::int32_t row, std::int32_t column);
// Moves the cursor to column 1 of its line, as locate(0, 1) does, and writes the text there;
// the bytes written to redirected output are the text's alone, as print writes them.
void printAtLineStart(const Text& text);
// A text of count blanks; a negative count gives the empty text and records error 7.
Text spaces(std::int32_t count);

// One typed line without its line end: the line editor on a terminal, raw bytes otherwise.
Text readLine();
// True once redirected standard input has ended; a console's input never does.
bool redirectedInputHasEnded();
// The next key; no key when none is waiting. Never waits.
Key pollKey();
// The next key, waiting for it without spinning.
Key waitKey();
// Capitals A-Z and the code-page capitals made small, byte by byte.
Text lowerCase(const Text& text);
// A character key's character made small as lowerCase makes it; other keys stay as they are.
Key lowerCase(Key key);
