#include "graphics/canvas.h"

#include <algorithm>

#include "runtime/address_wait.h"

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

void PaintRequests::postAndWait(Job job) {
    // The job bits go in before the sequence number, so a round that sees the number also sees
    // the bits (or an earlier round already did the job).
    pendingJobs_.fetch_or(job, std::memory_order_release);
    const std::uint64_t sequence = posted_.fetch_add(1, std::memory_order_acq_rel) + 1;
    if (!wakeUp_.raise()) {
        // A signal that could not be raised leaves the round to the next wake-up, and waiting
        // on would then hang, so give up on this request.
        return;
    }
    for (std::uint64_t done = served_.load(std::memory_order_acquire); done < sequence;
         done = served_.load(std::memory_order_acquire))
        waitWhileEqual(served_, done);
}

PaintRequests::Round PaintRequests::takePending() {
    wakeUp_.lower();
    const std::uint64_t sequence = posted_.load(std::memory_order_acquire);
    return {sequence, pendingJobs_.exchange(0, std::memory_order_acq_rel)};
}

void PaintRequests::served(const Round& round) {
    served_.store(round.sequence, std::memory_order_release);
    wakeAllWaiters(served_);
}

void PaintRequests::close() {
    served_.store(closedSequence, std::memory_order_release);
    wakeAllWaiters(served_);
}

Canvas::Canvas(PixelMemory memory, std::int32_t width, std::int32_t height, PixelFormat format,
               ColourValue foreground, ColourValue background)
    : memory_(std::move(memory)),
      width_(width),
      height_(height),
      columns_(static_cast<std::size_t>(width)),
      rows_(static_cast<std::size_t>(height)),
      format_(format),
      foregroundPixel_(format.pixelOf(foreground)) {
    const std::uint32_t backgroundPixel = format.pixelOf(background);
    std::fill_n(memory_.get(), columns_ * rows_, backgroundPixel);
}
