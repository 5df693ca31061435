#include "engine/world.h"

namespace {
constexpr std::uint8_t worldTypeCode = 10;
constexpr std::uint8_t worldFlags = 0x18;
constexpr std::uint32_t worldElementSize = 4;
constexpr std::int32_t lastPlane = 2;
} // namespace

void createWorld(World& world, std::int32_t width, std::int32_t height) {
    createArray(world, worldFlags, worldTypeCode, worldElementSize, {{0, width}, {0, height}, {0, lastPlane}});
}

std::int32_t neighbourhoodSum(const World& world, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height, std::int32_t size, std::int32_t plane) {
    std::int32_t sum = 0;
    for (std::int32_t a = x - size; a <= x + size; ++a) {
        for (std::int32_t b = y - size; b <= y + size; ++b) {
            if (a == x && b == y) continue;
            std::int32_t wrappedA = a;
            if (wrappedA < 1) wrappedA += width;
            if (wrappedA > width) wrappedA -= width;
            std::int32_t wrappedB = b;
            if (wrappedB < 1) wrappedB += height;
            if (wrappedB > height) wrappedB -= height;
            sum += cell(world, wrappedA, wrappedB, plane);
        }
    }
    return sum;
}
