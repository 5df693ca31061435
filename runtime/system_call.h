#pragma once
#include <atomic>
#include "runtime/floating_point.h"

// The process-wide lock word of the run-time's system calls: taken by an atomic exchange that
// spins until it was free.
class SpinLock {
public:
    void lock() {
        while (locked_.exchange(true, std::memory_order_acquire)) {
            while (locked_.load(std::memory_order_relaxed)) {
            }
        }
    }
    void unlock() { locked_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> locked_{false};
};

SpinLock& systemCallLock();

// The platform's error code of the last failed call on this thread (errno, or Windows' last
// error), and clearing it before a call.
int lastPlatformError();
void clearPlatformError();

template <typename Result>
struct SystemCallOutcome {
    Result value;
    int error; // the platform's error code after the call, 0 when none was reported
};

// Runs one system call serialised with every other guarded call, with the platform's error code
// cleared before it and collected after it, and with the floating-point state as it was before the call.
template <typename Call>
auto guardedSystemCall(Call&& call) -> SystemCallOutcome<decltype(call())> {
    SpinLock& lock = systemCallLock();
    lock.lock();
    const FloatingPointState saved = saveFloatingPointState();
    clearPlatformError();
    auto value = call();
    const int error = lastPlatformError();
    restoreFloatingPointState(saved);
    lock.unlock();
    return {value, error};
}
