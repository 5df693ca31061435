#include "graphics/colour.h"

#include <initializer_list>

namespace {
std::uint32_t reversedBytes(std::uint32_t value) {
    return value >> 24 | (value >> 8 & 0xFF00) | (value << 8 & 0xFF0000) | value << 24;
}
} // namespace

bool PixelFormat::fromMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                            bool swapBytes, PixelFormat& format) {
    if (swapBytes) {
        red = reversedBytes(red);
        green = reversedBytes(green);
        blue = reversedBytes(blue);
    }
    for (const bool upper : {false, true}) {
        const int low = upper ? 8 : 0;
        if (green != 0xFFu << (low + 8)) continue;
        for (const bool swap : {false, true}) {
            const std::uint32_t expectedRed = 0xFFu << (swap ? low + 16 : low);
            const std::uint32_t expectedBlue = 0xFFu << (swap ? low : low + 16);
            if (red == expectedRed && blue == expectedBlue) {
                format = {swap, upper};
                return true;
            }
        }
    }
    return false;
}
