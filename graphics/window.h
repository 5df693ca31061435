#pragma once
#include <cstdint>

#include "graphics/colour.h"
#include "graphics/drawing_target.h"
#include "graphics/window_handle.h"
#include "text/numbers.h"
#include "text/text.h"

inline constexpr std::int32_t bufferedRedraw = 0x80;

struct CanvasSize {
    double width;
    double height;
};

WindowHandle openWindow(const Text& caption, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::uint32_t style);
void attachWindow(WindowHandle window, std::int32_t controlNumber, std::int32_t mode);
void redraw();
void focusWindow();
CanvasSize canvasSize();
// Whether the calling thread's attached window is still open: false once the user has closed it,
// and when none could be opened.
bool windowIsOpen();
// Why openWindow could not open a window, for a message: where it tried to (the display on X11).
Text windowOpenFailure();

// setPixel at a position that is relative to the canvas's last point, or off the thread's ready
// drawing target (outside the canvas, immediate mode, no canvas, not resolved yet): each pixel
// goes through the canvas's own plot and, in immediate mode, its refresh.
void setPixelRelative(double x, double y, ColourValue colour);
[[gnu::cold]] void setPixelOffTarget(std::int32_t x, std::int32_t y, ColourValue colour);

// setPixel at a whole-number position, as the program draws its cells: rounding would leave the
// position unchanged. Called once per pixel of every generation, so it stays inline in the
// caller's loop; its result equals Canvas::plot's at the same position.
inline void setPixel(std::int32_t x, std::int32_t y, ColourValue colour) {
    const DrawingTarget& target = drawingTarget;
    // Negative positions wrap to huge unsigned ones and fail the same test.
    const std::size_t column = static_cast<std::uint32_t>(x);
    const std::size_t row = static_cast<std::uint32_t>(y);
    if (column < target.pixelColumns && row < target.rows) [[likely]] {
        *target.lastPoint = {x, y};
        target.pixels[row * target.pixelColumns + column] =
            colour == foregroundColour ? target.foregroundPixel : PixelFormat::commonPixelOf(colour);
        return;
    }
    setPixelOffTarget(x, y, colour);
}

// setPixel(x + k, y, rgb(g, g, g), relative clear) for the grey level g = greys[k] of each k in
// 0..count-1: one row of cells as the program draws them. A row wholly inside the thread's ready
// drawing target goes straight into the buffer in one pass; any other takes setPixel's own path
// pixel by pixel, refreshes of immediate mode included.
void setPixelRow(std::int32_t x, std::int32_t y, const std::int32_t* greys, std::int32_t count);
void setPixelRow(std::int32_t x, std::int32_t y, const std::uint16_t* greys, std::int32_t count);
void setPixelRow(std::int32_t x, std::int32_t y, const std::uint8_t* greys, std::int32_t count);

// setPixelRow(x, y + k, greys + k * stride, count) for each k in 0..rows-1: a block of cells as
// the program draws a whole plane. A block that fills whole rows of the thread's ready drawing
// target goes into the buffer in one pass that bypasses the processor's caches, since the window
// system reads the buffer next, often on another core.
void setPixelRows(std::int32_t x, std::int32_t y, const std::uint16_t* greys, std::ptrdiff_t stride,
                  std::int32_t count, std::int32_t rows);
void setPixelRows(std::int32_t x, std::int32_t y, const std::uint8_t* greys, std::ptrdiff_t stride,
                  std::int32_t count, std::int32_t rows);

inline void setPixel(double x, double y, ColourValue colour, bool relative = false) {
    if (relative)
        setPixelRelative(x, y, colour);
    else
        setPixel(storeInt32(x), storeInt32(y), colour);
}
