#include "graphics/paint_requests.h"

#include "runtime/address_wait.h"

namespace {
bool servedUpTo(std::uint32_t served, std::uint32_t sequence) {
    return static_cast<std::int32_t>(served - sequence) >= 0;
}
} // namespace

void PaintRequests::postAndWait(Job job) {
    // The job bits go in before the sequence number, so a round that sees the number also sees
    // the bits (or an earlier round already did the job).
    pendingJobs_.fetch_or(job, std::memory_order_release);
    const std::uint32_t sequence = posted_.fetch_add(1, std::memory_order_acq_rel) + 1;
    if (!wakeUp_.raise()) {
        // A signal that could not be raised leaves the round to the next wake-up, and waiting
        // on would then hang, so give up on this request.
        return;
    }
    for (;;) {
        // The round number is read before the closing flag: closing sets the flag and then moves
        // the number, so a requester that missed the flag never sleeps on the number it read.
        const std::uint32_t done = served_.load(std::memory_order_acquire);
        if (closed_.load(std::memory_order_acquire) || servedUpTo(done, sequence)) return;
        waitWhileEqual(served_, done);
    }
}

PaintRequests::Round PaintRequests::takePending() {
    wakeUp_.lower();
    const std::uint32_t sequence = posted_.load(std::memory_order_acquire);
    return {sequence, pendingJobs_.exchange(0, std::memory_order_acq_rel)};
}

void PaintRequests::served(const Round& round) {
    served_.store(round.sequence, std::memory_order_release);
    wakeAllWaiters(served_);
}

void PaintRequests::close() {
    closed_.store(true, std::memory_order_release);
    served_.fetch_add(1, std::memory_order_acq_rel);
    wakeAllWaiters(served_);
}
