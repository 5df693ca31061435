#pragma once
#include <cstddef>
#include <cstdint>

using ColourValue = std::uint32_t; // red bits 0-7, green 8-15, blue 16-23

inline constexpr ColourValue foregroundColour = 0xFFFFFFFF;

inline ColourValue rgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const auto channel = [](std::int32_t value) -> ColourValue {
        // Cell values are nearly always in range: one well-predicted test instead of two clamps.
        if (static_cast<std::uint32_t>(value) <= 255) [[likely]]
            return static_cast<ColourValue>(value);
        return value < 0 ? 0 : 255;
    };
    return channel(red) | channel(green) << 8 | channel(blue) << 16;
}

// How a ColourValue becomes a 32-bit pixel of a display with 8-bit channels in three adjacent
// bytes, green in the middle: red and blue swap places or not, the three bytes sit at the bottom
// of the pixel or one byte up, and the byte left over is empty or full. Constant shifts keep the
// conversion cheap per pixel.
struct PixelFormat {
    bool swapRedBlue = true; // true: red is the highest of the three channels (0x00RRGGBB)
    bool upperBytes = false;
    // The byte left over full, for a display that reads it as the pixel's opacity (the page's
    // canvas): every pixel is opaque.
    bool opaque = false;

    // From the visual's channel masks; false for any other layout. swapBytes: the display
    // stores pixel bytes in the opposite order to this machine.
    static bool fromMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue, bool swapBytes,
                          PixelFormat& format);

    std::uint32_t pixelOf(ColourValue colour) const {
        const std::uint32_t ordered = swapRedBlue ? commonPixelOf(colour) : colour & 0xFFFFFF;
        return (upperBytes ? ordered << 8 : ordered) | spareBits();
    }
    // The byte left over, as set in every pixel.
    std::uint32_t spareBits() const { return opaque ? (upperBytes ? 0xFFu : 0xFF000000u) : 0; }

    // Drawing writes the layouts whose channels are the bottom three bytes straight into the
    // buffer (grey rows in one pass: a grey pixel is the same either way round); any other goes
    // pixel by pixel through pixelOf.
    bool drawnDirectly() const { return !upperBytes; }
    // The layout of the usual 24-bit visual in this machine's byte order, 0x00RRGGBB.
    bool isCommon() const { return swapRedBlue && !upperBytes && !opaque; }
    // pixelOf in the common layout in two instructions: reversing 0xXXBBGGRR gives 0xRRGGBBXX.
    static std::uint32_t commonPixelOf(ColourValue colour) { return __builtin_bswap32(colour) >> 8; }
    // pixelOf(rgb(g, g, g)) for each of count grey levels, in one pass the compiler can turn
    // into vector code; for a layout drawn directly.
    void greyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) const;
    void greyPixels(const std::uint16_t* greys, std::size_t count, std::uint32_t* pixels) const;
    void greyPixels(const std::uint8_t* greys, std::size_t count, std::uint32_t* pixels) const;
    // greyPixels for `rows` rows of `width` levels, each row `stride` levels after the one
    // before, into one run of width * rows pixels; written around the caches, for a buffer the
    // window system reads next.
    void greyPixelRows(const std::uint16_t* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                       std::uint32_t* pixels) const;
    void greyPixelRows(const std::uint8_t* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                       std::uint32_t* pixels) const;
};
