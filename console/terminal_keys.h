#pragma once
// The keyboard of a console that is a terminal (a POSIX terminal, the page's terminal widget):
// its keys arrive as bytes, escape sequences among them, which are queued here and decoded into
// keys. One queue serves both the line editor and the key functions, so keys typed while the
// automaton runs and not yet polled are read by the next line.
#include <chrono>
#include <cstddef>
#include <optional>
#include <span>

#include "console/key.h"
#include "console/key_decoder.h"

using KeyClock = std::chrono::steady_clock;
inline constexpr KeyClock::time_point noDeadline = KeyClock::time_point::max();

// What a terminal platform's keyboard offers the queue.
class TerminalKeyboard {
public:
    virtual ~TerminalKeyboard() = default;
    // Reads what has been typed, without waiting, into `room`: the count of bytes read, 0 when
    // none are waiting.
    virtual std::size_t read(std::span<unsigned char> room) = 0;
    // Whether a read would find bytes now.
    virtual bool bytesWaiting() = 0;
    // Waits until bytes are waiting or `deadline` has passed; false when the time ran out. A
    // keyboard that can never give a byte waits out the deadline, or for ever without one.
    virtual bool awaitBytes(KeyClock::time_point deadline) = 0;
};

class TerminalKeys {
public:
    explicit TerminalKeys(TerminalKeyboard& keyboard) : keyboard_(&keyboard) {}

    // The next key. With `waitForKey` clear it gives none at once when no key is waiting; only
    // the rest of an escape sequence that has begun is waited for, briefly.
    Key takeKey(bool waitForKey);
    // The next typed character, waiting for it; keys that produce none are skipped.
    unsigned char takeCharacter();
    // Whether a typed byte can be taken at once.
    bool characterWaiting() { return count_ > 0 || keyboard_->bytesWaiting(); }

private:
    std::span<const unsigned char> queued() const { return {bytes_, count_}; }
    void drop(std::size_t count);
    bool readMore();

    TerminalKeyboard* keyboard_;
    // Longer than any key sequence, so an unfinished one always has room for the bytes that
    // finish it.
    unsigned char bytes_[2 * longestKeySequence] = {};
    std::size_t count_ = 0;
};

// How long the rest of an escape sequence is waited for before what has come is taken as it is.
inline constexpr std::chrono::milliseconds sequenceWait{40};
