#pragma once
#include <cstdint>

#include "text/text.h"

using WindowHandle = std::uint64_t; // 0 means no window
using ColourValue = std::uint32_t;  // red bits 0-7, green 8-15, blue 16-23

inline constexpr std::int32_t bufferedRedraw = 0x80;
inline constexpr ColourValue foregroundColour = 0xFFFFFFFF;

struct CanvasSize {
    double width;
    double height;
};

WindowHandle openWindow(const Text& caption, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::uint32_t style);
void attachWindow(WindowHandle window, std::int32_t controlNumber, std::int32_t mode);
void setPixel(double x, double y, ColourValue colour, bool relative = false); // may be inline
void redraw();
void focusWindow();
CanvasSize canvasSize();
ColourValue rgb(std::int32_t red, std::int32_t green, std::int32_t blue); // may be inline
