#pragma once
#include <atomic>
#include <cstdint>

// Sleeping until a 32-bit word changes, with the system's own address wait. The C++ library's
// atomic wait has no such primitive under it on every platform, and its substitute there can
// miss a wake-up and sleep for good.

// Returns once `value` may differ from `seen` (spurious returns are possible: check and wait again).
void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen);
void wakeAllWaiters(std::atomic<std::uint32_t>& value);
void wakeOneWaiter(std::atomic<std::uint32_t>& value);
