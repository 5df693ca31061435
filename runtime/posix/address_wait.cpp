#include "runtime/address_wait.h"

template <class Word>
void waitForChange(const std::atomic<Word>& value, Word seen) {
    value.wait(seen, std::memory_order_acquire);
}

void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) { waitForChange(value, seen); }
void waitWhileEqual(const std::atomic<std::uint64_t>& value, std::uint64_t seen) { waitForChange(value, seen); }

void wakeAllWaiters(std::atomic<std::uint32_t>& value) { value.notify_all(); }
void wakeAllWaiters(std::atomic<std::uint64_t>& value) { value.notify_all(); }

void wakeOneWaiter(std::atomic<std::uint32_t>& value) { value.notify_one(); }
