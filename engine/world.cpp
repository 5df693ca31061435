#include "engine/world.h"

namespace {
// The World is an array the main routine declares for itself, released when that routine ends.
constexpr std::uint8_t worldFlags = IntArray::declarationMark | IntArray::releaseAtRoutineEnd;
// Planes 1 and 2 take turns as the current and the next generation; plane 0 is never used.
constexpr std::int32_t lastPlane = 2;
} // namespace

void World::create(std::int32_t width, std::int32_t height) {
    createArray(array_, worldFlags, IntArray::int32TypeCode, sizeof(std::int32_t),
                {{0, width}, {0, height}, {0, lastPlane}});
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
