// Waiting for typed keys in the browser. The page's terminal widget is the program's terminal
// (terminal_device.js): standard input, the keyboard and the screen are all that one device, and
// the keys typed into it are the only input the program can wait for. The C library's poll
// answers at once whatever the timeout, so it is replaced here by one that sleeps on the count
// of typed bytes not yet read, which the page raises with every key.
#include <emscripten/emscripten.h>
#include <emscripten/threading.h>
#include <poll.h>

#include <atomic>
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
