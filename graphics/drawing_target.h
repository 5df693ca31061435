#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/colour.h"

// The position of a canvas's last drawn pixel, which relative positions start from.
struct CanvasPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// What setPixel needs of the calling thread's attached canvas, copied out of the canvas into one
// trivially destructible thread-local block, so each pixel costs a few loads at fixed offsets
// from the thread pointer instead of a walk through the attachment and the canvas. The size and
// pointer fields have types that the 32-bit pixel and last-point stores cannot alias.
//
// The target is "ready" only while the thread's cached resolution of its attachment names a
// present canvas in buffered-redraw mode whose pixels are drawn directly
// (PixelFormat::drawnDirectly); otherwise the column counts and rows are 0, so setPixel's bounds
// test alone sends every pixel down the slow path, which resolves, draws through the canvas and refreshes in
// immediate mode. The pointers stay valid while the thread's cache keeps the canvas alive, and
// the target is re-aimed or cleared whenever that cache changes or the attachment goes.
struct DrawingTarget {
    CanvasPoint* lastPoint = nullptr;
    std::uint32_t* pixels = nullptr;
    std::size_t columns = 0;
    std::size_t rows = 0;
    // The columns again for setPixel, which converts a colour inline only to the common layout
    // (PixelFormat::isCommon): 0 for any other, whose single pixels take the slow path.
    std::size_t pixelColumns = 0;
    std::uint32_t foregroundPixel = 0;
    PixelFormat format;
};

extern constinit thread_local DrawingTarget drawingTarget;
