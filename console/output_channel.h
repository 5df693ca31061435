#pragma once
#include <cstddef>
#include <string_view>

// Writes the bytes to standard output in one write; a failure is recorded with raiseError (the
// platform's error code mapped to a run-time error, a short write as error 61).
void writeOutput(const char* bytes, std::size_t count);

// Writes the bytes to standard error in one write; a failure is ignored.
void writeErrorOutput(const char* bytes, std::size_t count);

// What moves the cursor to column 1 of its line when standard output is the screen; written with
// the text that follows, it saves the separate calls of locate(0, 1). Empty when standard output
// is redirected: its bytes are then the text's alone.
std::string_view lineStartPrefix();
