#pragma once
#include <cstdint>

#include "graphics/canvas.h"
#include "graphics/window_registry.h"
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

// Called once per pixel of every generation, so it stays inline in the caller's loop.
inline void setPixel(double x, double y, ColourValue colour, bool relative = false) {
    bool buffered;
    Canvas* canvas = drawingCanvas(buffered);
    if (!canvas) return;
    canvas->plot(x, y, colour, relative);
    if (!buffered) canvas->requests().postAndWait(PaintRequests::paint);
}

// setPixel at a whole-number position, as the program draws its cells: rounding would leave the
// position unchanged, so this skips the two conversions in the hottest loop.
inline void setPixel(std::int32_t x, std::int32_t y, ColourValue colour) {
    bool buffered;
    Canvas* canvas = drawingCanvas(buffered);
    if (!canvas) return;
    canvas->plot(x, y, colour);
    if (!buffered) canvas->requests().postAndWait(PaintRequests::paint);
}

inline ColourValue rgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const auto channel = [](std::int32_t value) {
        return static_cast<ColourValue>(value < 0 ? 0 : value > 255 ? 255 : value);
    };
    return channel(red) | channel(green) << 8 | channel(blue) << 16;
}
