#pragma once
#include <cstdint>

#include "runtime/floating_point.h"

// The process-wide generator state; all one bits until the program seeds it.
std::uint32_t randomState();
void resetRandomState();

// Steps the state (x 134775813 + 1 mod 2^32) and gives (state >> 1) x 2^-31, in [0, 1).
Number random01();

// The state becomes the bit pattern of x rounded to single precision.
void seedRandom(Number x);
