#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/world.h"

// One generation step over whole planes, described by raw row pointers so the vector code needs
// nothing else from the World.
struct PlaneStep {
    const void* current = nullptr;         // cell (0, 0) of the plane read
    void* next = nullptr;                  // cell (0, 0) of the plane written
    CellWidth cellWidth = CellWidth::oneByte; // of both planes
    std::int32_t rowStride = 0;            // W + 1
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t size = 0;                 // 1..4
    bool grey = false;
    std::int32_t greySpeed = 0;            // 1..128 in grey mode
    const std::uint8_t* surviveBits = nullptr; // 16-byte count bit sets (count_matches.h)
    const std::uint8_t* bornBits = nullptr;
};

// Scratch one band needs, in 16-bit elements.
std::size_t bandScratchLength(std::int32_t width);

// Writes rows firstRow..lastRow (1-based, inclusive) of the next plane, with the best vector
// instructions the running machine offers. Bands may run concurrently on disjoint rows, each
// with its own scratch.
void stepRows(const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow, std::uint16_t* scratch);

// Name of the instruction set stepRows uses on this machine now.
const char* stepRowsTarget();
