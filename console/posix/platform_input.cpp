#include "console/platform_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <span>

#include "console/key_decoder.h"
#include "console/posix/console_state.h"
#include "console/posix/write.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long the rest of an escape sequence is waited for before what has come is taken as it is.
constexpr std::chrono::milliseconds sequenceWait{40};

static_assert(sizeof(ConsoleState::typedAhead) >= longestKeySequence);

[[noreturn]] void waitForever() {
    for (;;) poll(nullptr, 0, -1);
}

// ---- The queue of typed input ----

enum class Reading { bytes, nothing, noKeyboard };

std::span<const unsigned char> typedBytes(const ConsoleState& state) {
    return {state.typedAhead, static_cast<std::size_t>(state.typedAheadCount)};
}

void dropTyped(ConsoleState& state, std::size_t count) {
    state.typedAheadCount -= static_cast<int>(count);
    std::memmove(state.typedAhead, state.typedAhead + count, static_cast<std::size_t>(state.typedAheadCount));
}

// Appends whatever the keyboard holds, without waiting. A keyboard that reports its end or an
// error has gone with its terminal (a hang-up that did not end the process, as under nohup):
// no key can ever come, so the program ends rather than wait or run unstoppably.
Reading readTyped(ConsoleState& state) {
    if (state.keyboardHandle < 0) return Reading::noKeyboard;
    const std::size_t room = sizeof state.typedAhead - static_cast<std::size_t>(state.typedAheadCount);
    const ssize_t count = read(state.keyboardHandle, state.typedAhead + state.typedAheadCount, room);
    if (count > 0) {
        state.typedAheadCount += static_cast<int>(count);
        return Reading::bytes;
    }
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) return Reading::nothing;
    endForLostConsole();
}

constexpr Clock::time_point noDeadline = Clock::time_point::max();

// Waits until a read of the keyboard has something to tell (bytes, or that there will be none),
// at most until `deadline`. False when the time ran out or the keyboard cannot be watched.
bool awaitTyping(int handle, Clock::time_point deadline) {
    pollfd watched{handle, POLLIN, 0};
    for (;;) {
        int timeout = -1;
        if (deadline != noDeadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            timeout = static_cast<int>(left.count());
        }
        const int ready = poll(&watched, 1, timeout);
        if (ready > 0) return (watched.revents & POLLNVAL) == 0;
        if (ready == 0 || errno != EINTR) return false;
    }
}

// True when a read of the keyboard would not fail for want of bytes (it has bytes, its end or
// an error to give).
bool keyboardReady(int handle) {
    pollfd watched{handle, POLLIN, 0};
    return poll(&watched, 1, 0) > 0;
}

// The next key typed. With `waitForKey` clear it returns nothing at once when no key is waiting;
// only the rest of an escape sequence that has begun is waited for, briefly.
std::optional<DecodedKey> takeDecodedKey(bool waitForKey) {
    ConsoleState& state = consoleState();
    Clock::time_point sequenceDeadline = noDeadline;
    for (;;) {
        const DecodedKey decoded = decodeKey(typedBytes(state), false);
        if (decoded.outcome != DecodedKey::Outcome::incomplete) {
            dropTyped(state, decoded.consumed);
            sequenceDeadline = noDeadline;
            if (decoded.outcome == DecodedKey::Outcome::key) return decoded;
            continue;
        }
        // A key poll each generation: a read of a quiet keyboard could only fail.
        if (!waitForKey && state.typedAheadCount == 0 && !keyboardReady(state.keyboardHandle))
            return std::nullopt;
        const Reading reading = readTyped(state);
        if (reading == Reading::bytes) continue;

        if (state.typedAheadCount > 0) {
            if (sequenceDeadline == noDeadline) sequenceDeadline = Clock::now() + sequenceWait;
            if (reading == Reading::nothing && awaitTyping(state.keyboardHandle, sequenceDeadline)) continue;
            const DecodedKey settled = decodeKey(typedBytes(state), true);
            dropTyped(state, settled.consumed);
            sequenceDeadline = noDeadline;
            if (settled.outcome == DecodedKey::Outcome::key) return settled;
            continue;
        }
        if (!waitForKey) return std::nullopt;
        // Without a keyboard no key can ever come: the wait never ends, and costs nothing.
        if (reading == Reading::noKeyboard || !awaitTyping(state.keyboardHandle, noDeadline)) waitForever();
    }
}

// Bell, tab and line feed act on the screen as they would on a console; any other control byte
// is shown as a caret and a letter (Esc as ^[), the visible stand-in for the glyph a console
// draws. Echoed raw, a typed Esc would start a control sequence of the terminal's own.
bool echoedAsCaret(unsigned char c) { return (c < 32 && c != 7 && c != 9 && c != 10) || c == 127; }

std::size_t copied(const char* bytes, char* out) {
    const std::size_t count = std::strlen(bytes);
    std::memcpy(out, bytes, count);
    return count;
}

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

namespace platformInput {

LineInputState& lineInputState() { return consoleState(); }

bool inputIsConsole() { return consoleState().inputIsConsole; }

unsigned char readTyped() {
    for (;;) {
        const DecodedKey key = *takeDecodedKey(true);
        if (key.length == 1) return key.text[0];
    }
}

bool typedWaiting() {
    const ConsoleState& state = consoleState();
    return state.typedAheadCount > 0 || keyboardReady(state.keyboardHandle);
}

bool isBackspace(unsigned char c) { return c == 8 || c == 127; }

std::size_t shownAs(unsigned char c, char* out) {
    if (!echoedAsCaret(c)) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    out[0] = '^';
    out[1] = static_cast<char>(c ^ 0x40);
    return 2;
}

std::size_t erasing(unsigned char c, char* out) { return copied(echoedAsCaret(c) ? "\b\b  \b\b" : "\b \b", out); }

void echo(const char* bytes, std::size_t count) { writeShown(consoleState().screenHandle, bytes, count); }

std::optional<KeyBytes> takeKey(bool waitForIt) {
    const std::optional<DecodedKey> decoded = takeDecodedKey(waitForIt);
    if (!decoded) return std::nullopt;
    return KeyBytes{{decoded->text[0], decoded->text[1]}, decoded->length};
}

std::size_t readRedirected(unsigned char* buffer, std::size_t size) {
    return static_cast<std::size_t>(readInput(consoleState().inputHandle, buffer, size));
}

// A read of standard input returns at once when it has data, its end or an error to give.
bool redirectedWaiting() {
    pollfd watched{consoleState().inputHandle, POLLIN, 0};
    return poll(&watched, 1, 0) > 0;
}

} // namespace platformInput
