#pragma once
#include <cstdint>

#include "text/text.h"

// Writes the text's bytes to standard output in one write (nothing for the empty text).
void print(const Text& text);
// Writes the line end 13, 10.
void newLine();
void printLine(const Text& text);
// On a terminal screen whose cursor is not at column 1, moves it to the start of the next line,
// so that a message or the shell's prompt does not stand behind the text there. Does nothing
// when the screen is not a terminal: redirected output keeps exactly what was written.
void startFreshLine();
// Moves the terminal cursor (1-based); a coordinate out of range keeps its current value.
void locate(std::int32_t row, std::int32_t column);
// A text of count blanks; a negative count gives the empty text and records error 7.
Text spaces(std::int32_t count);
