#pragma once
#include <cstdint>
#include <vector>

#include "engine/generation.h"
#include "engine/world.h"
#include "text/numbers.h"

// A World run without window or console: filled as the reset step fills it, stepped by any
// generation step with the step's signature, its planes swapped as the main loop swaps them.
class HeadlessWorld {
public:
    HeadlessWorld(std::int32_t width, std::int32_t height);
    ~HeadlessWorld();
    HeadlessWorld(const HeadlessWorld&) = delete;
    HeadlessWorld& operator=(const HeadlessWorld&) = delete;

    // Seeds the random generator, fills plane 1 by resetFill and makes it current.
    void reset(Number seed);

    // Makes plane 1 current with the given cells, listed row by row (i fastest).
    void load(const std::vector<std::int32_t>& cells);

    template <class Step>
    void run(std::int32_t generations, const RuleSet& rules, std::int32_t renderMode, std::int32_t greySpeed,
             Step&& step) {
        for (std::int32_t generation = 0; generation < generations; ++generation) {
            const std::int32_t nextPlane = currentPlane_ == 1 ? 2 : 1;
            step(world_, currentPlane_, nextPlane, width_, height_, rules, renderMode, greySpeed);
            currentPlane_ = nextPlane;
        }
    }

    // The current plane's cells, row by row (i fastest).
    std::vector<std::int32_t> cells() const;

    World& world() { return world_; }
    std::int32_t currentPlane() const { return currentPlane_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

private:
    World world_{};
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t currentPlane_ = 1;
};
