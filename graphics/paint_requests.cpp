#include "graphics/paint_requests.h"

#include "runtime/address_wait.h"

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
