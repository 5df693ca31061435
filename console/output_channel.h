#pragma once
#include <cstddef>

// Writes the bytes to standard output in one write; a failure is recorded with raiseError (the
// platform's error code mapped to a run-time error, a short write as error 61).
void writeOutput(const char* bytes, std::size_t count);

// Writes the bytes to standard error in one write; a failure is ignored.
void writeErrorOutput(const char* bytes, std::size_t count);
