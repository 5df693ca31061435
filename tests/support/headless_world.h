#pragma once
#include <cstdint>
#include <vector>

#include "engine/generation.h"
#include "engine/world.h"
#include "text/numbers.h"

// A World run without window or console: filled as the reset step fills it, stepped by any
// generation step, its planes flipped as the main loop flips them.
class HeadlessWorld {
public:
    // Two-byte cells by default: they hold every value of both rule modes.
    HeadlessWorld(std::int32_t width, std::int32_t height, CellWidth cellWidth = CellWidth::twoBytes);

    // Seeds the random generator, fills plane 1 by resetFill and makes it current.
    void reset(Number seed);

    // Makes plane 1 current with the given cells, listed row by row (i fastest).
    void loadCells(const std::vector<std::int32_t>& cells);

    void run(std::int32_t generations, const Rule& rule, GenerationStep auto&& generator) {
        generator.setRule(rule);
        for (std::int32_t generation = 0; generation < generations; ++generation) {
            generator.step(world_);
            world_.flip();
        }
    }

    // The current plane's cells, row by row (i fastest).
    std::vector<std::int32_t> cells() const;

    World& world() { return world_; }
    const World& world() const { return world_; }

private:
    World world_;
};
