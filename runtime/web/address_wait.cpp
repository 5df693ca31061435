// Address waits in the browser: the page's shared memory futex, on which the main thread may not
// sleep but every thread of the program, main routine included, runs as a worker that may.
#include "runtime/address_wait.h"

#include <emscripten/threading.h>

#include <cmath>

namespace {
// The futex holds 32 bits: a 64-bit word is watched through its low half, which changes with
// every step of the counters waited on (they count up by one or jump to all ones).
volatile void* lowHalf(const void* word) { return const_cast<void*>(word); }

void waitOn(const void* word, std::uint32_t seen) {
    emscripten_futex_wait(lowHalf(word), seen, INFINITY);
}

void wake(void* word, int count) { emscripten_futex_wake(lowHalf(word), count); }
} // namespace

void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) {
    if (value.load(std::memory_order_acquire) == seen) waitOn(&value, seen);
}

void waitWhileEqual(const std::atomic<std::uint64_t>& value, std::uint64_t seen) {
    if (value.load(std::memory_order_acquire) == seen) waitOn(&value, static_cast<std::uint32_t>(seen));
}

void wakeAllWaiters(std::atomic<std::uint32_t>& value) { wake(&value, INT32_MAX); }
void wakeAllWaiters(std::atomic<std::uint64_t>& value) { wake(&value, INT32_MAX); }
void wakeOneWaiter(std::atomic<std::uint32_t>& value) { wake(&value, 1); }
