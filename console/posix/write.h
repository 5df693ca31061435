#pragma once
#include <cstddef>

#include "runtime/errors.h"

// Writes the bytes to `handle` in one guarded system call. The result is none when every byte
// was written, otherwise the run-time error of the failure (shortWrite for a short write).
RunError writeBytes(int handle, const void* bytes, std::size_t count);

// writeBytes for text that the terminal shows, keeping track of whether the cursor is left at
// column 1 when `handle` is the terminal screen.
RunError writeShown(int handle, const void* bytes, std::size_t count);
