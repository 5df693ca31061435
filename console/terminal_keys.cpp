#include "console/terminal_keys.h"

#include <cstring>

void TerminalKeys::drop(std::size_t count) {
    count_ -= count;
    std::memmove(bytes_, bytes_ + count, count_);
}

bool TerminalKeys::readMore() {
    const std::size_t count = keyboard_->read(std::span(bytes_ + count_, sizeof bytes_ - count_));
    count_ += count;
    return count > 0;
}

Key TerminalKeys::takeKey(bool waitForKey) {
    KeyClock::time_point sequenceDeadline = noDeadline;
    for (;;) {
        const DecodedKey decoded = decodeKey(queued(), false);
        if (decoded.outcome != DecodedKey::Outcome::incomplete) {
            drop(decoded.consumed);
            sequenceDeadline = noDeadline;
            if (decoded.outcome == DecodedKey::Outcome::key) return decoded.key;
            continue;
        }
        // A key poll each generation: a read of a quiet keyboard could only come back empty.
        if (!waitForKey && count_ == 0 && !keyboard_->bytesWaiting()) return Key();
        if (readMore()) continue;

        if (count_ > 0) {
            if (sequenceDeadline == noDeadline) sequenceDeadline = KeyClock::now() + sequenceWait;
            if (keyboard_->awaitBytes(sequenceDeadline)) continue;
            const DecodedKey settled = decodeKey(queued(), true);
            drop(settled.consumed);
            sequenceDeadline = noDeadline;
            if (settled.outcome == DecodedKey::Outcome::key) return settled.key;
            continue;
        }
        if (!waitForKey) return Key();
        keyboard_->awaitBytes(noDeadline);
    }
}

unsigned char TerminalKeys::takeCharacter() {
    for (;;) {
        const Key key = takeKey(true);
        if (key.isCharacter()) return key.code();
    }
}
