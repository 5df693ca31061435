#include "tests/support/headless_world.h"

#include "engine/fills.h"
#include "random_and_time/random.h"

HeadlessWorld::HeadlessWorld(std::int32_t width, std::int32_t height, CellWidth cellWidth) {
    world_.create(width, height, cellWidth);
}

void HeadlessWorld::reset(Number seed) {
    seedRandom(seed);
    resetFill(world_);
    world_.makeCurrent(1);
}

void HeadlessWorld::loadCells(const std::vector<std::int32_t>& cells) {
    std::size_t k = 0;
    for (std::int32_t j = 1; j <= world_.height(); ++j) {
        for (std::int32_t i = 1; i <= world_.width(); ++i) world_.setCell(i, j, 1, cells.at(k++));
    }
    world_.makeCurrent(1);
}

std::vector<std::int32_t> HeadlessWorld::cells() const {
    std::vector<std::int32_t> result;
    result.reserve(std::size_t(world_.width()) * std::size_t(world_.height()));
    for (std::int32_t j = 1; j <= world_.height(); ++j) {
        for (std::int32_t i = 1; i <= world_.width(); ++i) result.push_back(world_.cell(i, j, world_.currentPlane()));
    }
    return result;
}
