#pragma once
#include <cstddef>

// Writes the bytes to `handle` in one guarded system call. The result is 0 when every byte was
// written, otherwise the run-time error number of the failure (61 for a short write).
int writeBytes(int handle, const void* bytes, std::size_t count);

// writeBytes for text that the terminal shows, keeping track of whether the cursor is left at
// column 1 when `handle` is the terminal screen.
int writeShown(int handle, const void* bytes, std::size_t count);
