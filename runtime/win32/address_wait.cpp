#include "runtime/address_wait.h"

#include <windows.h>

namespace {

// The atomics hold their words as plain words, which the system's address wait compares.
template <class Word>
void waitForChange(const std::atomic<Word>& value, Word seen) {
    static_assert(sizeof(std::atomic<Word>) == sizeof(Word));
    WaitOnAddress(const_cast<std::atomic<Word>*>(&value), &seen, sizeof seen, INFINITE);
}

} // namespace

void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) { waitForChange(value, seen); }
void waitWhileEqual(const std::atomic<std::uint64_t>& value, std::uint64_t seen) { waitForChange(value, seen); }

void wakeAllWaiters(std::atomic<std::uint32_t>& value) { WakeByAddressAll(&value); }
void wakeAllWaiters(std::atomic<std::uint64_t>& value) { WakeByAddressAll(&value); }

void wakeOneWaiter(std::atomic<std::uint32_t>& value) { WakeByAddressSingle(&value); }
