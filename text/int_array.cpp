#include "text/int_array.h"

#include <cstdlib>

#include "runtime/errors.h"

namespace {

// The kind every descriptor made here records: an array.
constexpr std::uint8_t arrayKind = 2;
constexpr std::uint64_t largest32BitValue = 0xFFFFFFFFu;

// Fills every field but data; false when a bound pair or the size is unacceptable.
bool describe(IntArray& array, std::uint8_t flags, std::uint8_t typeCode, std::uint32_t elementSize,
              std::initializer_list<Bounds> bounds) {
    if (bounds.size() == 0 || bounds.size() > IntArray::maxDimensions) return false;
    array.flags = flags;
    array.kind = arrayKind;
    array.typeCode = typeCode;
    array.dimensions = static_cast<std::uint8_t>(bounds.size());
    array.elementSize = elementSize;

    std::uint64_t count = 1;
    int d = 0;
    for (const Bounds& b : bounds) {
        if (b.upper < b.lower) return false;
        const std::uint64_t extent = static_cast<std::uint64_t>(std::int64_t{b.upper} - b.lower + 1);
        array.dimension[d++] = {static_cast<std::uint32_t>(count), b.lower, b.upper};
        count *= extent; // both factors fit in 32 bits, so the product cannot wrap
        if (count > largest32BitValue) return false;
    }
    const std::uint64_t size = count * elementSize;
    if (size > largest32BitValue) return false;
    array.count = static_cast<std::uint32_t>(count);
    array.size = static_cast<std::uint32_t>(size);
    return true;
}

} // namespace

void createArray(IntArray& array, std::uint8_t flags, std::uint8_t typeCode, std::uint32_t elementSize,
                 std::initializer_list<Bounds> bounds, std::int32_t* outside) {
    if (array.flags & IntArray::created) return;

    // Built aside, so that a failure leaves the caller's descriptor exactly as it was.
    IntArray made;
    if (!describe(made, flags, typeCode, elementSize, bounds)) return raiseError(RunError::badArrayBounds);
    if (outside) {
        made.data = outside;
        made.flags |= IntArray::outsideStorage;
    } else {
        // At least one byte, so that a null result always means no memory.
        made.data = static_cast<std::int32_t*>(std::calloc(made.size ? made.size : 1, 1));
        if (!made.data) return raiseError(RunError::noMemory);
        made.flags &= static_cast<std::uint8_t>(~IntArray::outsideStorage);
    }
    made.flags |= IntArray::created;
    array = made;
}

std::int32_t* elementAt(const IntArray& array, std::initializer_list<std::int32_t> indices) {
    std::int64_t offset = 0;
    const IntArray::Dimension* dimension = array.dimension;
    for (const std::int32_t index : indices) {
        offset += (std::int64_t{index} - dimension->lower) * dimension->step;
        ++dimension;
    }
    return reinterpret_cast<std::int32_t*>(reinterpret_cast<char*>(array.data) + offset * array.elementSize);
}

void releaseArray(IntArray& array) {
    constexpr std::uint8_t releasable = IntArray::created | IntArray::releaseAtRoutineEnd;
    if ((array.flags & releasable) != releasable) return;
    if (!(array.flags & IntArray::outsideStorage)) std::free(array.data);
    array.data = nullptr;
    array.flags &= static_cast<std::uint8_t>(~(IntArray::created | IntArray::outsideStorage));
}
