// Address waits in the browser: the page's shared memory futex, on which the main thread may not
// sleep but every thread of the program, main routine included, runs as a worker that may.
#include "runtime/address_wait.h"

#include <emscripten/threading.h>

#include <cmath>

namespace {
volatile void* word(const std::atomic<std::uint32_t>& value) {
    return const_cast<std::atomic<std::uint32_t>*>(&value);
}
} // namespace

void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) {
    if (value.load(std::memory_order_acquire) == seen) emscripten_futex_wait(word(value), seen, INFINITY);
}

void wakeAllWaiters(std::atomic<std::uint32_t>& value) { emscripten_futex_wake(word(value), INT32_MAX); }
void wakeOneWaiter(std::atomic<std::uint32_t>& value) { emscripten_futex_wake(word(value), 1); }
