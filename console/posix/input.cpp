#include "console/platform_console.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "console/posix/console_state.h"

namespace {

// The controlling terminal's keyboard, opened without blocking: a read of a quiet keyboard fails
// at once, and poll tells when bytes come.
class PosixKeyboard final : public TerminalKeyboard {
public:
    // A keyboard that reports its end or an error has gone with its terminal (a hang-up that did
    // not end the process, as under nohup): no key can ever come, so the program ends rather
    // than wait or run unstoppably.
    std::size_t read(std::span<unsigned char> room) override {
        const int handle = consoleState().keyboardHandle;
        if (handle < 0) return 0;
        const ssize_t count = ::read(handle, room.data(), room.size());
        if (count > 0) return static_cast<std::size_t>(count);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        endForLostConsole();
    }

    // True also when a read has the keyboard's end or an error to give.
    bool bytesWaiting() override {
        pollfd watched{consoleState().keyboardHandle, POLLIN, 0};
        return poll(&watched, 1, 0) > 0;
    }

    // A keyboard that cannot be watched (none was opened: poll then ignores the descriptor)
    // gives no byte: the wait runs out its deadline, or never ends, at no cost.
    bool awaitBytes(KeyClock::time_point deadline) override {
        pollfd watched{consoleState().keyboardHandle, POLLIN, 0};
        for (;;) {
            int timeout = -1;
            if (deadline != noDeadline) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - KeyClock::now());
                if (left.count() <= 0) return false;
                timeout = static_cast<int>(left.count());
            }
            const int ready = poll(&watched, 1, timeout);
            if (ready > 0 && (watched.revents & POLLNVAL) == 0) return true;
            if (ready == 0) return false;
            if (ready < 0 && errno == EINTR) continue;
            if (deadline != noDeadline) return false;
            for (;;) poll(nullptr, 0, -1);
        }
    }
};

// Reads what standard input holds, waiting for it; 0 at the end of the data or on failure.
ssize_t readInput(int handle, unsigned char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = read(handle, buffer, size);
        if (count >= 0) return count;
        if (errno == EAGAIN) {
            pollfd watched{handle, POLLIN, 0};
            poll(&watched, 1, -1);
        } else if (errno != EINTR) {
            return 0;
        }
    }
}

} // namespace

TerminalKeyboard& terminalKeyboard() {
    static PosixKeyboard keyboard;
    return keyboard;
}

namespace consolePlatform {

unsigned char readTyped() { return consoleState().typedKeys.takeCharacter(); }

bool typedWaiting() { return consoleState().typedKeys.characterWaiting(); }

Key takeKey(bool waitForIt) { return consoleState().typedKeys.takeKey(waitForIt); }

std::size_t readRedirected(unsigned char* buffer, std::size_t size) {
    return static_cast<std::size_t>(readInput(consoleState().inputHandle, buffer, size));
}

// A read of standard input returns at once when it has data, its end or an error to give.
bool redirectedWaiting() {
    pollfd watched{consoleState().inputHandle, POLLIN, 0};
    return poll(&watched, 1, 0) > 0;
}

} // namespace consolePlatform
