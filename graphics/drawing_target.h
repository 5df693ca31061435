#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/canvas.h"

// What setPixel needs of the calling thread's attached canvas, copied out of the canvas into one
// trivially destructible thread-local block. Its fields have types that neither the pixel stores
// (32-bit) nor the last-point stores (32-bit) can alias, so a caller's loop keeps them in
// registers instead of reloading the thread record and the canvas at every pixel.
//
// The target is "ready" only while the thread's cached resolution names a present canvas in
// buffered-redraw mode whose pixels have the common layout (PixelFormat::isCommon); otherwise columns and rows are 0, so setPixel's bounds test alone sends
// every pixel down the slow path, which resolves, draws through the canvas and refreshes in
// immediate mode. The pointers stay valid while the thread record's cache keeps the canvas alive,
// and the cache clears the target when it lets go of the canvas.
struct DrawingTarget {
    Canvas* canvas = nullptr;
    std::uint32_t* pixels = nullptr;
    std::size_t columns = 0;
    std::size_t rows = 0;
    std::uint32_t foregroundPixel = 0;
};

extern constinit thread_local DrawingTarget drawingTarget;
