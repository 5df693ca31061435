#pragma once
#include <array>
#include <cstdint>

#include "engine/world.h"

// Plane 1 from the random generator, one draw per cell, i outer and j inner: each of 0..255
// equally likely.
void resetFill(World& world);

// The second draw of a density digit's fill: offset + integer part of (random01 x scale). Digit 5
// has none and keeps its first draw.
struct Density {
    std::int32_t offset;
    std::int32_t scale;
};
inline constexpr std::array<Density, 10> densities = {{{0, 148}, {0, 160}, {0, 175}, {0, 190}, {0, 222},
                                                      {0, 0},   {33, 222}, {65, 190}, {80, 175}, {105, 150}}};

// Refills a plane at the density of a digit key 0..9 (0 sparsest), with one draw per cell for 5
// and two for every other digit, in visiting order. No value reaches 255. Other digits change
// nothing and draw nothing.
void densityFill(World& world, std::int32_t plane, int digit);
