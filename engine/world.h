#pragma once
#include <cstdint>

#include "text/int_array.h"

// Every cell value of the automaton in two alternating generations: indices 0..W, 0..H, 0..2,
// first index fastest. Cells live at 1..W x 1..H of planes 1 and 2; index 0 and plane 0 are
// allocated but never used.
using World = IntArray;

// Creates the World zero-filled. A World that already exists keeps its bounds and contents,
// so the new-rule path can pass through here again. Failures are recorded by raiseError.
void createWorld(World& world, std::int32_t width, std::int32_t height);

// The cell (i, j) of a plane. The indices are not checked: callers stay inside the bounds.
inline std::int32_t& cell(const World& world, std::int32_t i, std::int32_t j, std::int32_t plane) {
    const std::int64_t offset = std::int64_t(i) + std::int64_t(j) * world.dimension[1].step +
                                std::int64_t(plane) * world.dimension[2].step;
    return world.data[offset];
}

// Sum of the cells in the square of radius `size` around (x, y) on the torus, centre excluded.
// This is the definition the fast generation step must reproduce bit for bit.
std::int32_t neighbourhoodSum(const World& world, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height, std::int32_t size, std::int32_t plane);
