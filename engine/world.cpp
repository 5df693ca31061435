#include "engine/world.h"

namespace {
constexpr std::uint8_t worldTypeCode = 10;
constexpr std::uint8_t worldFlags = 0x18;
constexpr std::uint32_t worldElementSize = 4;
constexpr std::int32_t lastPlane = 2;
} // namespace

void World::create(std::int32_t width, std::int32_t height) {
    createArray(array_, worldFlags, worldTypeCode, worldElementSize, {{0, width}, {0, height}, {0, lastPlane}});
}

std::int32_t neighbourhoodSum(const World& world, std::int32_t x, std::int32_t y, std::int32_t size,
                              std::int32_t plane) {
    const std::int32_t width = world.width();
    const std::int32_t height = world.height();
    std::int32_t sum = 0;
    for (std::int32_t a = x - size; a <= x + size; ++a) {
        for (std::int32_t b = y - size; b <= y + size; ++b) {
            if (a == x && b == y) continue;
            sum += world.cell(wrapOnTorus(a, width), wrapOnTorus(b, height), plane);
        }
    }
    return sum;
}
