#include "engine/fills.h"

#include "random_and_time/random.h"
#include "text/numbers.h"

namespace {
// integerPart(random01() * scale): 0..scale-1, rounded down.
std::int32_t draw(std::int32_t scale) { return storeInt32(integerPart(random01() * scale)); }

constexpr int singleDrawDigit = 5;
constexpr std::int32_t firstDrawScale = 255;
} // namespace

void resetFill(World& world) {
    for (std::int32_t i = 1; i <= world.width(); ++i) {
        for (std::int32_t j = 1; j <= world.height(); ++j) world.setCell(i, j, 1, draw(256));
    }
}

void densityFill(World& world, std::int32_t plane, int digit) {
    if (digit < 0 || digit > 9) return;
    const Density density = densities[std::size_t(digit)];
    for (std::int32_t i = 1; i <= world.width(); ++i) {
        for (std::int32_t j = 1; j <= world.height(); ++j) {
            std::int32_t value = draw(firstDrawScale);
            if (digit != singleDrawDigit) value = density.offset + draw(density.scale);
            world.setCell(i, j, plane, value);
        }
    }
}
