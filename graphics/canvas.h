#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/colour.h"
#include "graphics/drawing_target.h"
#include "graphics/paint_requests.h"
#include "text/numbers.h"

// Pixel memory the canvas writes and the window thread shows; released by its own deleter
// (shared-memory detach or heap free).
using PixelMemory = std::unique_ptr<std::uint32_t[], void (*)(std::uint32_t*)>;

// The off-screen pixel buffer of one window. Shared by the window thread and every drawing thread
// that has it cached, so it outlives the window for as long as any of them still holds it.
class Canvas {
public:
    Canvas(PixelMemory memory, std::int32_t width, std::int32_t height, PixelFormat format,
           ColourValue foreground, ColourValue background);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    const PixelFormat& format() const { return format_; }
    std::uint32_t* pixels() { return memory_.get(); }
    PaintRequests& requests() { return requests_; }

    bool buffered() const { return buffered_.load(std::memory_order_relaxed); }
    void setBuffered(bool buffered) { buffered_.store(buffered, std::memory_order_relaxed); }

    using Point = CanvasPoint;
    Point lastPoint() const { return last_; }
    void notePoint(std::int32_t x, std::int32_t y) { last_ = {x, y}; }
    // Where the drawing target notes the last point.
    Point* lastPointSlot() { return &last_; }

    std::uint32_t foregroundPixel() const { return foregroundPixel_; }
    std::size_t columns() const { return columns_; }
    std::size_t rows() const { return rows_; }

    std::uint32_t pixelAt(std::int32_t x, std::int32_t y) const {
        return memory_[std::size_t(y) * columns_ + std::size_t(x)];
    }

    // One pixel, as setPixel describes it; the refresh of immediate mode is left to the caller.
    void plot(double x, double y, ColourValue colour, bool relative) {
        if (relative) {
            const Point last = lastPoint();
            x += last.x;
            y += last.y;
        }
        plot(storeInt32(x), storeInt32(y), colour);
    }

    // The same for a position that is already a whole number, which rounding leaves as it is.
    void plot(std::int32_t x, std::int32_t y, ColourValue colour) {
        notePoint(x, y);
        // Negative positions wrap to huge unsigned ones and fail the same test.
        const std::size_t column = static_cast<std::uint32_t>(x);
        const std::size_t row = static_cast<std::uint32_t>(y);
        if (column >= columns_ || row >= rows_) return;
        memory_[row * columns_ + column] =
            colour == foregroundColour ? foregroundPixel_ : format_.pixelOf(colour);
    }

private:
    PixelMemory memory_;
    const std::int32_t width_;
    const std::int32_t height_;
    // The size again in a type pixel stores cannot alias, so the compiler need not reload it
    // after every pixel.
    const std::size_t columns_;
    const std::size_t rows_;
    const PixelFormat format_;
    const std::uint32_t foregroundPixel_;
    std::atomic<bool> buffered_{false};
    // Only drawing threads touch the last point.
    Point last_;
    PaintRequests requests_;
};
