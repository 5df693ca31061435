#pragma once
#include <cstddef>
#include <span>

#include "console/key.h"

// Turns the bytes a terminal sends into keys: one byte per ordinary key, and escape sequences
// (cursor keys, Home, End, Page Up, Page Down, Insert, Delete, F1 to F12, Alt with a letter) into
// keys named by their set 1 scan codes. Pure: it sees only the bytes it is given.
struct DecodedKey {
    enum class Outcome {
        key,        // `key` is the key; `consumed` bytes make it up
        skipped,    // `consumed` bytes form a sequence that is no key (unknown or malformed)
        incomplete, // the bytes end inside a sequence that more bytes may finish; nothing consumed
    };

    Outcome outcome = Outcome::incomplete;
    std::size_t consumed = 0;
    Key key;
};

// Decodes the first key of `bytes`. With `inputPaused` set no more bytes are expected soon, so
// an unfinished sequence is settled as it stands: a lone Esc is the key 27.
DecodedKey decodeKey(std::span<const unsigned char> bytes, bool inputPaused);

// The longest sequence waited for; longer ones are skipped, so a buffer of at least this size
// always has room for the bytes that finish a sequence.
inline constexpr std::size_t longestKeySequence = 32;
