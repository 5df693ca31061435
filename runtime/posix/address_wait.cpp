#include "runtime/address_wait.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>

namespace {

// 32-bit words sleep on the kernel's futex directly: the C++ library's atomic wait first spins
// and yields the processor over and over, a system call each, before it sleeps.
void futex(const std::atomic<std::uint32_t>& value, int operation, std::uint32_t argument) {
    static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
    syscall(SYS_futex, const_cast<std::atomic<std::uint32_t>*>(&value), operation | FUTEX_PRIVATE_FLAG, argument,
            nullptr, nullptr, 0);
}

} // namespace

// The kernel compares the word with `seen` as it puts the thread to sleep, so a change made
// before then is never missed; an interruption only returns early.
void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t seen) { futex(value, FUTEX_WAIT, seen); }
void wakeAllWaiters(std::atomic<std::uint32_t>& value) { futex(value, FUTEX_WAKE, INT_MAX); }
void wakeOneWaiter(std::atomic<std::uint32_t>& value) { futex(value, FUTEX_WAKE, 1); }
