#include "runtime/address_wait.h"

void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) {
    value.wait(seen, std::memory_order_acquire);
}

void wakeAllWaiters(std::atomic<std::uint32_t>& value) { value.notify_all(); }

void wakeOneWaiter(std::atomic<std::uint32_t>& value) { value.notify_one(); }
