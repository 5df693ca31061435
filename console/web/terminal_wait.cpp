// Waiting for typed keys in the browser. The page's terminal widget is the program's terminal
// (terminal_device.js): standard input, the keyboard and the screen are all that one device, and
// the keys typed into it are the only input the program can wait for or read. The C library's
// poll answers at once whatever the timeout, so it is replaced here by one that sleeps on the
// count of typed bytes not yet read, which the page raises with every key; and read answers
// "nothing yet" from that count, without the round trip to the page's thread that the device's
// own read costs, which the key poll of every generation would pay.
#include <emscripten/emscripten.h>
#include <emscripten/threading.h>
#include <poll.h>
#include <unistd.h>
#include <wasi/api.h>
#include <wasi/wasi-helpers.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace {
std::atomic<std::uint32_t> typedBytesWaiting{0};
static_assert(sizeof typedBytesWaiting == 4, "the page counts in a 32-bit word");
// How many threads sleep until a key comes, with no time limit: the page can tell a program that
// waits for a key from one that is busy and polls for one.
std::atomic<std::uint32_t> keyWaiters{0};

using Clock = std::chrono::steady_clock;

// Every descriptor asked about is that device: ready to read while typed bytes wait.
int markReady(pollfd* watched, nfds_t count) {
    for (nfds_t i = 0; i < count; ++i) watched[i].revents = static_cast<short>(watched[i].events & POLLIN);
    return static_cast<int>(count);
}
} // namespace

// Where the page counts what is typed and what is read.
extern "C" EMSCRIPTEN_KEEPALIVE std::atomic<std::uint32_t>* tesseraTypedBytesWaiting() {
    return &typedBytesWaiting;
}

extern "C" EMSCRIPTEN_KEEPALIVE std::uint32_t tesseraKeyWaiters() { return keyWaiters.load(); }

// Waits, without spinning, until a typed byte waits or `timeout` milliseconds (-1: for ever)
// have passed. Nothing to watch is a wait that no key ends.
extern "C" int poll(pollfd* watched, nfds_t count, int timeout) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        if (count > 0 && typedBytesWaiting.load(std::memory_order_acquire) != 0) return markReady(watched, count);
        double left = INFINITY;
        if (timeout >= 0) {
            left = timeout - std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (left <= 0) {
                for (nfds_t i = 0; i < count; ++i) watched[i].revents = 0;
                return 0;
            }
        }
        if (timeout < 0) keyWaiters.fetch_add(1);
        emscripten_futex_wait(&typedBytesWaiting, 0, left);
        if (timeout < 0) keyWaiters.fetch_sub(1);
    }
}

// Reads typed bytes; with none waiting it fails with EAGAIN, as the keyboard, which is opened
// without blocking, does, and as a caller of a blocking descriptor handles by polling.
extern "C" ssize_t read(int handle, void* buffer, size_t count) {
    if (count > 0 && typedBytesWaiting.load(std::memory_order_acquire) == 0) {
        errno = EAGAIN;
        return -1;
    }
    __wasi_iovec_t slice{static_cast<std::uint8_t*>(buffer), count};
    size_t done = 0;
    if (__wasi_syscall_ret(__wasi_fd_read(handle, &slice, 1, &done))) return -1;
    return static_cast<ssize_t>(done);
}
