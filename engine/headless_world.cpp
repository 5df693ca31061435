#include "engine/headless_world.h"

#include "engine/fills.h"
#include "text/random.h"

HeadlessWorld::HeadlessWorld(std::int32_t width, std::int32_t height) : width_(width), height_(height) {
    createWorld(world_, width, height);
}

HeadlessWorld::~HeadlessWorld() { releaseArray(world_); }

void HeadlessWorld::reset(Number seed) {
    seedRandom(seed);
    resetFill(world_, width_, height_);
    currentPlane_ = 1;
}

void HeadlessWorld::load(const std::vector<std::int32_t>& cells) {
    std::size_t k = 0;
    for (std::int32_t j = 1; j <= height_; ++j) {
        for (std::int32_t i = 1; i <= width_; ++i) cell(world_, i, j, 1) = cells.at(k++);
    }
    currentPlane_ = 1;
}

std::vector<std::int32_t> HeadlessWorld::cells() const {
    std::vector<std::int32_t> result;
    result.reserve(std::size_t(width_) * std::size_t(height_));
    for (std::int32_t j = 1; j <= height_; ++j) {
        for (std::int32_t i = 1; i <= width_; ++i) result.push_back(cell(world_, i, j, currentPlane_));
    }
    return result;
}
