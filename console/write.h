#pragma once
#include <cstddef>

// Writes the bytes to `handle` in one guarded system call. The result is 0 when every byte was
// written, otherwise the run-time error number of the failure (61 for a short write).
int writeBytes(int handle, const void* bytes, std::size_t count);
