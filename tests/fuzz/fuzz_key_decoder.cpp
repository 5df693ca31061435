// The terminal key decoder on arbitrary byte streams. Every answer must be well formed, and the
// keys of a stream must not depend on how its bytes were split into reads: a decision once taken
// on a prefix stands whatever follows.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "console/key_decoder.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using Bytes = std::vector<unsigned char>;

void checkWellFormed(const DecodedKey& decoded, std::size_t available, bool inputPaused) {
    switch (decoded.outcome) {
    case DecodedKey::Outcome::key:
        require(decoded.consumed >= 1 && decoded.consumed <= available, "a key consumes what it was given");
        require(decoded.key.isCharacter() || (!decoded.key.isNone() && decoded.key.code() != 0),
                "a key is one character or a named key with a scan code");
        break;
    case DecodedKey::Outcome::skipped:
        require(decoded.consumed >= 1 && decoded.consumed <= available, "a skip makes progress");
        break;
    case DecodedKey::Outcome::incomplete:
        require(!inputPaused, "paused input settles every sequence");
        require(decoded.consumed == 0, "an unfinished sequence consumes nothing");
        require(available >= 1 && available <= longestKeySequence, "no sequence longer than the longest is waited for");
        break;
    }
}

// Decodes what `pending` holds as far as it can, taking the decided keys out of it.
void decodeAvailable(Bytes& pending, bool inputPaused, std::vector<Key>& keys) {
    while (!pending.empty()) {
        const DecodedKey decoded = decodeKey(pending, inputPaused);
        checkWellFormed(decoded, pending.size(), inputPaused);
        if (decoded.outcome == DecodedKey::Outcome::incomplete) return;
        if (decoded.outcome == DecodedKey::Outcome::key) keys.push_back(decoded.key);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(decoded.consumed));
    }
}

// The keys of the stream arriving in the given reads; the input pauses after the last one.
std::vector<Key> keysOf(const std::vector<Bytes>& reads) {
    Bytes pending;
    std::vector<Key> keys;
    for (const Bytes& read : reads) {
        pending.insert(pending.end(), read.begin(), read.end());
        decodeAvailable(pending, false, keys);
    }
    decodeAvailable(pending, true, keys);
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto splitSeed = input.ConsumeIntegral<std::uint32_t>();
    const Bytes stream = input.ConsumeRemainingBytes<unsigned char>();

    std::vector<Bytes> reads;
    std::uint32_t state = splitSeed | 1;
    for (std::size_t at = 0; at < stream.size();) {
        state = state * 1664525u + 1013904223u;
        const std::size_t length = std::min<std::size_t>(1 + (state >> 28), stream.size() - at);
        reads.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                           stream.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    require(keysOf(reads) == keysOf({stream}), "keys do not depend on how the bytes arrive");
    return 0;
}
