#pragma once
#include <cstdint>
#include <initializer_list>

// The descriptor of a multi-dimensional array of 32-bit integers, first index fastest.
// All zero (not created) until createArray fills it.
struct IntArray {
    static constexpr int maxDimensions = 8;

    // flags bits
    static constexpr std::uint8_t outsideStorage = 0x01;
    static constexpr std::uint8_t created = 0x04;
    // Set by the declaring code, with releaseAtRoutineEnd, on an array that a routine declares
    // for itself; the descriptor keeps it, and no operation here reads it.
    static constexpr std::uint8_t declarationMark = 0x08;
    static constexpr std::uint8_t releaseAtRoutineEnd = 0x10;

    // typeCode of an array of 32-bit, unsigned 8-bit and unsigned 16-bit integers. The code is the
    // declaring code's to choose and is kept, not read, here: the element size alone decides the
    // layout.
    static constexpr std::uint8_t int32TypeCode = 10;
    static constexpr std::uint8_t uint8TypeCode = 17;
    static constexpr std::uint8_t uint16TypeCode = 18;

    struct Dimension {
        std::uint32_t step = 0; // elements per unit of this index (1 for the first dimension)
        std::int32_t lower = 0;
        std::int32_t upper = 0;
    };

    std::int32_t* data = nullptr;
    std::uint8_t flags = 0;
    std::uint8_t kind = 0;
    std::uint8_t typeCode = 0;
    std::uint8_t dimensions = 0;
    std::uint32_t count = 0;
    std::uint32_t size = 0;
    std::uint32_t elementSize = 0;
    Dimension dimension[maxDimensions];
};

struct Bounds {
    std::int32_t lower;
    std::int32_t upper;
};

// Fills the descriptor and zero-fills new storage, or takes `outside` as the (unowned, not
// cleared) storage when it is given; the outsideStorage flag follows `outside`, not `flags`.
// Does nothing at all when the array is already created. Errors: 9 bad bounds or size beyond
// 32 bits, 7 no memory; the array then stays not created.
void createArray(IntArray& array, std::uint8_t flags, std::uint8_t typeCode, std::uint32_t elementSize,
                 std::initializer_list<Bounds> bounds, std::int32_t* outside = nullptr);

// Address of the element at the given indices; no bounds test.
std::int32_t* elementAt(const IntArray& array, std::initializer_list<std::int32_t> indices);

// Frees owned storage of a created array flagged releaseAtRoutineEnd and clears created/outside.
void releaseArray(IntArray& array);
