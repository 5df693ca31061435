#include "graphics/canvas.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <bit>

namespace {
bool byteChannelShift(std::uint32_t mask, bool swapBytes, std::uint8_t& shift) {
    const int low = std::countr_zero(mask);
    if (mask == 0 || mask >> low != 0xFF || low % 8 != 0) return false;
    shift = static_cast<std::uint8_t>(swapBytes ? 24 - low : low);
    return true;
}
} // namespace

bool PixelFormat::fromMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                            bool swapBytes, PixelFormat& format) {
    return byteChannelShift(red, swapBytes, format.redShift) &&
           byteChannelShift(green, swapBytes, format.greenShift) &&
           byteChannelShift(blue, swapBytes, format.blueShift);
}

PaintRequests::PaintRequests() : wakeUpFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PaintRequests::~PaintRequests() {
    if (wakeUpFd_ >= 0) ::close(wakeUpFd_);
}

void PaintRequests::postAndWait(Job job) {
    // The job bits go in before the sequence number, so a round that sees the number also sees
    // the bits (or an earlier round already did the job).
    pendingJobs_.fetch_or(job, std::memory_order_release);
    const std::uint64_t sequence = posted_.fetch_add(1, std::memory_order_acq_rel) + 1;
    const std::uint64_t one = 1;
    if (write(wakeUpFd_, &one, sizeof one) < 0) {
        // The counter cannot overflow in practice; a failed write leaves the round to the next
        // wake-up, and waiting on would then hang, so give up on this request.
        return;
    }
    for (std::uint64_t done = served_.load(std::memory_order_acquire); done < sequence;
         done = served_.load(std::memory_order_acquire))
        served_.wait(done, std::memory_order_acquire);
}

PaintRequests::Round PaintRequests::takePending() {
    std::uint64_t count = 0;
    while (read(wakeUpFd_, &count, sizeof count) > 0) {
    }
    const std::uint64_t sequence = posted_.load(std::memory_order_acquire);
    return {sequence, pendingJobs_.exchange(0, std::memory_order_acq_rel)};
}

void PaintRequests::served(const Round& round) {
    served_.store(round.sequence, std::memory_order_release);
    served_.notify_all();
}

void PaintRequests::close() {
    served_.store(closedSequence, std::memory_order_release);
    served_.notify_all();
}

Canvas::Canvas(PixelMemory memory, std::int32_t width, std::int32_t height, PixelFormat format,
               ColourValue foreground, ColourValue background)
    : memory_(std::move(memory)),
      width_(width),
      height_(height),
      format_(format),
      foregroundPixel_(format.pixelOf(foreground)) {
    const std::uint32_t backgroundPixel = format.pixelOf(background);
    std::fill_n(memory_.get(), index(0, height), backgroundPixel);
}
