#pragma once
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>

#include "text/numbers.h"

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
// bytes, green in the middle: red and blue swap places or not, and the three bytes sit at the
// bottom of the pixel or one byte up. Constant shifts keep the conversion cheap per pixel.
struct PixelFormat {
    bool swapRedBlue = true; // true: red is the highest of the three channels (0x00RRGGBB)
    bool upperBytes = false;

    // From the visual's channel masks; false for any other layout. swapBytes: the display
    // stores pixel bytes in the opposite order to this machine.
    static bool fromMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue, bool swapBytes,
                          PixelFormat& format);

    std::uint32_t pixelOf(ColourValue colour) const {
        const std::uint32_t ordered =
            swapRedBlue ? (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF)
                        : colour & 0xFFFFFF;
        return upperBytes ? ordered << 8 : ordered;
    }

    // The layout of the usual 24-bit visual in this machine's byte order, 0x00RRGGBB.
    bool isCommon() const { return swapRedBlue && !upperBytes; }
    // pixelOf in the common layout in two instructions: reversing 0xXXBBGGRR gives 0xRRGGBBXX.
    static std::uint32_t commonPixelOf(ColourValue colour) { return __builtin_bswap32(colour) >> 8; }
    // commonPixelOf(rgb(g, g, g)) for each of count grey levels, in one pass the compiler can
    // turn into vector code.
    static void commonGreyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels);
    static void commonGreyPixels(const std::uint16_t* greys, std::size_t count, std::uint32_t* pixels);
    static void commonGreyPixels(const std::uint8_t* greys, std::size_t count, std::uint32_t* pixels);
};

// The signal drawing threads raise and the window thread waits on beside its window system's
// events: an event counter descriptor on X11, an event object on Windows. The platform's window
// file supplies it.
class WakeUpChannel {
public:
    WakeUpChannel();
    ~WakeUpChannel();
    WakeUpChannel(const WakeUpChannel&) = delete;
    WakeUpChannel& operator=(const WakeUpChannel&) = delete;

    // False when the channel could not be made.
    bool usable() const;
    // False when the signal could not be raised.
    bool raise();
    // Takes the raised signal down, so the next wait sleeps until it is raised again.
    void lower();
    // What the window thread waits on: the descriptor or the handle, as a number.
    std::intptr_t waitable() const { return waitable_; }

private:
    std::intptr_t waitable_;
};

// Synchronous requests from drawing threads to the window thread: the requester posts a job and
// sleeps until the window thread has served a round that started after the post. Once the
// window is gone every request returns at once.
class PaintRequests {
public:
    enum Job : std::uint32_t { paint = 1, focus = 2 };

    PaintRequests() = default;
    PaintRequests(const PaintRequests&) = delete;
    PaintRequests& operator=(const PaintRequests&) = delete;

    // False when the wake-up channel could not be made.
    bool usable() const { return wakeUp_.usable(); }

    // Drawing side.
    void postAndWait(Job job);

    // Window side: the signal to wait on, taking the pending jobs, and reporting them done.
    const WakeUpChannel& wakeUp() const { return wakeUp_; }
    struct Round {
        std::uint64_t sequence;
        std::uint32_t jobs;
    };
    Round takePending();
    void served(const Round& round);
    // Releases every present and future requester.
    void close();

private:
    static constexpr std::uint64_t closedSequence = std::numeric_limits<std::uint64_t>::max();

    WakeUpChannel wakeUp_;
    std::atomic<std::uint32_t> pendingJobs_{0};
    std::atomic<std::uint64_t> posted_{0};
    std::atomic<std::uint64_t> served_{0};
};

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

    struct Point {
        std::int32_t x;
        std::int32_t y;
    };
    Point lastPoint() const { return {lastX_, lastY_}; }
    void notePoint(std::int32_t x, std::int32_t y) {
        lastX_ = x;
        lastY_ = y;
    }

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
    std::int32_t lastX_ = 0;
    std::int32_t lastY_ = 0;
    PaintRequests requests_;
};
