#include "runtime/address_wait.h"

#include <windows.h>

// The atomic holds its word as a plain word, which the system's address wait compares.
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) {
    WaitOnAddress(const_cast<std::atomic<std::uint32_t>*>(&value), &seen, sizeof seen, INFINITE);
}

void wakeAllWaiters(std::atomic<std::uint32_t>& value) { WakeByAddressAll(&value); }

void wakeOneWaiter(std::atomic<std::uint32_t>& value) { WakeByAddressSingle(&value); }
