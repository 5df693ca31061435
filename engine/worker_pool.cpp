#include "engine/worker_pool.h"

#include <chrono>

#include "runtime/address_wait.h"

namespace {
// Waiting threads poll this long before sleeping: long enough to catch the tasks of a step
// handed out back to back, short enough not to keep a core from the window system, which needs
// one while it puts each frame.
constexpr auto spinBeforeSleeping = std::chrono::microseconds(5);

inline void relaxCpu() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Polls until value differs from seen, then sleeps on it if it still does not. `sleeping`, when
// given, is raised around the sleep, so that the thread changing the value knows whether it
// must make the system call that wakes this one.
std::uint32_t awaitChange(const std::atomic<std::uint32_t>& value, std::uint32_t seen,
                          std::atomic<bool>* sleeping = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + spinBeforeSleeping;
    for (unsigned polls = 0;; ++polls) {
        const std::uint32_t now = value.load(std::memory_order_acquire);
        if (now != seen) return now;
        if (polls % 64 == 63 && std::chrono::steady_clock::now() > deadline) break;
        relaxCpu();
    }
    // Raised before the value is read again: the changing thread changes the value before it
    // reads the flag, so one of the two sees the other's write.
    if (sleeping) sleeping->store(true, std::memory_order_seq_cst);
    if (value.load(std::memory_order_seq_cst) == seen) waitWhileEqual(value, seen);
    if (sleeping) sleeping->store(false, std::memory_order_relaxed);
    return value.load(std::memory_order_acquire);
}
} // namespace

WorkerPool::WorkerPool(unsigned threadCount) {
    for (unsigned k = 1; k < threadCount; ++k) workers_.emplace_back([this] { workerLoop(); });
}

WorkerPool::~WorkerPool() {
    stopping_.store(true, std::memory_order_release);
    epoch_.fetch_add(1, std::memory_order_release);
    wakeAllWaiters(epoch_);
    for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::run(std::uint32_t taskCount, const std::function<void(std::uint32_t)>& task) {
    start(taskCount, task);
    finish();
}

void WorkerPool::start(std::uint32_t taskCount, const std::function<void(std::uint32_t)>& task) {
    // The new claim word goes first: a worker still looping over the previous run that sees the
    // new task count has then also lost every chance to claim with the old epoch.
    const std::uint32_t epoch = epoch_.load(std::memory_order_relaxed) + 1;
    claim_.store(std::uint64_t(epoch) << 32, std::memory_order_relaxed);
    finished_.store(0, std::memory_order_relaxed);
    task_.store(&task, std::memory_order_release);
    taskCount_.store(taskCount, std::memory_order_release);
    epoch_.store(epoch, std::memory_order_release);
    if (!workers_.empty()) wakeAllWaiters(epoch_);
}

void WorkerPool::finish() {
    claimTasks(epoch_.load(std::memory_order_relaxed));
    waitForAll(taskCount_.load(std::memory_order_relaxed));
}

void WorkerPool::workerLoop() {
    std::uint32_t seen = 0;
    for (;;) {
        seen = awaitChange(epoch_, seen);
        if (stopping_.load(std::memory_order_acquire)) return;
        claimTasks(seen);
    }
}

void WorkerPool::claimTasks(std::uint32_t epoch) {
    std::uint64_t claim = claim_.load(std::memory_order_acquire);
    for (;;) {
        if (std::uint32_t(claim >> 32) != epoch) return;
        const std::uint32_t taskIndex = std::uint32_t(claim);
        const std::uint32_t taskCount = taskCount_.load(std::memory_order_acquire);
        if (taskIndex >= taskCount) return;
        if (!claim_.compare_exchange_weak(claim, claim + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
            continue;
        }
        (*task_.load(std::memory_order_acquire))(taskIndex);
        // Usually the caller is still drawing when the last task ends, and then needs no wake-up.
        if (finished_.fetch_add(1, std::memory_order_seq_cst) + 1 == taskCount &&
            callerSleeping_.load(std::memory_order_seq_cst)) {
            wakeOneWaiter(finished_);
        }
        claim = claim_.load(std::memory_order_acquire);
    }
}

void WorkerPool::waitForAll(std::uint32_t taskCount) {
    for (std::uint32_t done = finished_.load(std::memory_order_acquire); done != taskCount;) {
        done = awaitChange(finished_, done, &callerSleeping_);
    }
}
