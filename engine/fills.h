#pragma once
#include <cstdint>

#include "engine/world.h"

// Plane 1 from the random generator, one draw per cell, i outer and j inner: each of 0..255
// equally likely.
void resetFill(World& world);

// Refills a plane at the density of a digit key 0..9 (0 sparsest), with one draw per cell for 5
// and two for every other digit, in visiting order. No value reaches 255. Other digits change
// nothing and draw nothing.
void densityFill(World& world, std::int32_t plane, int digit);
