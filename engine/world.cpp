#include "engine/world.h"

#include "runtime/errors.h"

namespace {
// The World is an array the main routine declares for itself, released when that routine ends.
constexpr std::uint8_t worldFlags = IntArray::declarationMark | IntArray::releaseAtRoutineEnd;
// Planes 1 and 2 take turns as the current and the next generation; plane 0 is never used.
constexpr std::int32_t lastPlane = 2;
constexpr std::uint8_t typeCodeOf(CellWidth width) {
    return width == CellWidth::oneByte ? IntArray::uint8TypeCode : IntArray::uint16TypeCode;
}

// A World of any cell width is refused exactly where one of 32-bit cells would be: its bytes
// would not fit in 32 bits.
bool beyond32BitLayout(std::int32_t width, std::int32_t height) {
    constexpr std::uint64_t bytesPerCell = 4;
    constexpr std::uint64_t planes = lastPlane + 1;
    if (width < 0 || height < 0) return false; // refused as bad bounds instead
    const std::uint64_t bytes = (std::uint64_t(width) + 1) * (std::uint64_t(height) + 1) * planes * bytesPerCell;
    return bytes > 0xFFFFFFFFu;
}
} // namespace

void World::create(std::int32_t width, std::int32_t height, CellWidth cellWidth) {
    if (exists()) return;
    if (beyond32BitLayout(width, height)) return raiseError(RunError::badArrayBounds);
    createArray(array_, worldFlags, typeCodeOf(cellWidth), std::uint32_t(cellWidth),
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
