#include "console/key_decoder.h"

#include <array>

namespace {

using namespace scanCode;

constexpr unsigned char escapeCharacter = 27;

// Scan codes of the letter keys, indexed by the letter, built from the keyboard's three rows.
constexpr std::array<unsigned char, 26> letterScanCodes = [] {
    struct Row {
        const char* keys;
        unsigned char firstScanCode;
    };
    constexpr Row rows[] = {{"qwertyuiop", 16}, {"asdfghjkl", 30}, {"zxcvbnm", 44}};
    std::array<unsigned char, 26> codes{};
    for (const Row& row : rows) {
        for (int i = 0; row.keys[i] != '\0'; ++i) {
            codes[row.keys[i] - 'a'] = static_cast<unsigned char>(row.firstScanCode + i);
        }
    }
    return codes;
}();

DecodedKey characterKey(unsigned char character, std::size_t consumed) {
    return {DecodedKey::Outcome::key, consumed, Key::character(character)};
}

DecodedKey skipped(std::size_t consumed) { return {DecodedKey::Outcome::skipped, consumed, Key()}; }

// A scan code of 0 means the sequence names no key this program knows.
DecodedKey scanCodeKey(unsigned char code, std::size_t consumed) {
    if (code == 0) return skipped(consumed);
    return {DecodedKey::Outcome::key, consumed, Key::named(code)};
}

bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

unsigned char letterScanCode(unsigned char letter) {
    const unsigned char small = (letter >= 'A' && letter <= 'Z') ? letter + ('a' - 'A') : letter;
    return letterScanCodes[small - 'a'];
}

// Keys sent as a number followed by '~' (ESC [ 3 ~ is Delete).
unsigned char numberedKeyScanCode(int number) {
    switch (number) {
    case 1:
    case 7: return home;
    case 2: return insert;
    case 3: return del;
    case 4:
    case 8: return end;
    case 5: return pageUp;
    case 6: return pageDown;
    case 23: return f11;
    case 24: return f12;
    default: break;
    }
    if (number >= 11 && number <= 15) return static_cast<unsigned char>(f1 + number - 11);
    if (number >= 17 && number <= 21) return static_cast<unsigned char>(f6 + number - 17);
    return 0;
}

// Keys named by the final byte of a sequence (ESC [ A, ESC O P).
unsigned char finalByteScanCode(unsigned char final) {
    switch (final) {
    case 'A': return up;
    case 'B': return down;
    case 'C': return right;
    case 'D': return left;
    case 'H': return home;
    case 'F': return end;
    case 'P':
    case 'Q':
    case 'R':
    case 'S': return static_cast<unsigned char>(f1 + final - 'P');
    default: return 0;
    }
}

bool isParameterByte(unsigned char c) { return c >= 0x30 && c <= 0x3F; }
bool isIntermediateByte(unsigned char c) { return c >= 0x20 && c <= 0x2F; }
bool isFinalByte(unsigned char c) { return c >= 0x40 && c <= 0x7E; }

// Where a control sequence whose parameters begin at `start` ends.
struct SequenceScan {
    enum class State { finished, malformed, unfinished } state;
    std::size_t end; // index of the final byte, or of the byte that broke the sequence
};

SequenceScan scanSequence(std::span<const unsigned char> bytes, std::size_t start) {
    bool inIntermediates = false;
    for (std::size_t i = start; i < bytes.size(); ++i) {
        const unsigned char c = bytes[i];
        if (i >= longestKeySequence) return {SequenceScan::State::malformed, i};
        if (isFinalByte(c)) return {SequenceScan::State::finished, i};
        if (isIntermediateByte(c)) {
            inIntermediates = true;
        } else if (!isParameterByte(c) || inIntermediates) {
            return {SequenceScan::State::malformed, i};
        }
    }
    return {SequenceScan::State::unfinished, bytes.size()};
}

// The parameters of a key sequence: its first number (a modifier may follow after ';' and does
// not change the key). `plain` is false when anything but digits and ';' occurs.
struct SequenceParameters {
    bool plain = true;
    bool empty = true;
    int first = 0;
};

SequenceParameters readParameters(std::span<const unsigned char> parameters) {
    constexpr int numberCap = 1000; // beyond every key number; keeps long digit runs from overflowing
    SequenceParameters result;
    result.empty = parameters.empty();
    bool inFirst = true;
    for (const unsigned char c : parameters) {
        if (c == ';') {
            inFirst = false;
        } else if (c >= '0' && c <= '9') {
            if (inFirst && result.first < numberCap) result.first = result.first * 10 + (c - '0');
        } else {
            result.plain = false;
        }
    }
    return result;
}

DecodedKey controlSequenceKey(std::span<const unsigned char> parameters, unsigned char final,
                              std::size_t consumed) {
    const SequenceParameters read = readParameters(parameters);
    if (!read.plain) return skipped(consumed);
    if (final == '~') return scanCodeKey(numberedKeyScanCode(read.first), consumed);
    if (read.empty || read.first == 1) return scanCodeKey(finalByteScanCode(final), consumed);
    return skipped(consumed);
}

// ESC [ [ A to ESC [ [ E: F1 to F5 on the Linux console.
DecodedKey linuxFunctionKey(std::span<const unsigned char> bytes, bool inputPaused) {
    constexpr std::size_t length = 4;
    if (bytes.size() < length) {
        return inputPaused ? skipped(bytes.size()) : DecodedKey{};
    }
    const unsigned char final = bytes[3];
    if (final >= 'A' && final <= 'E') return scanCodeKey(static_cast<unsigned char>(f1 + final - 'A'), length);
    return skipped(isFinalByte(final) ? length : length - 1);
}

// ESC [ ... (a control sequence) or ESC O ... (a single-shift sequence).
DecodedKey sequenceKey(std::span<const unsigned char> bytes, bool inputPaused) {
    const bool controlSequence = bytes[1] == '[';
    if (controlSequence && bytes.size() > 2 && bytes[2] == '[') return linuxFunctionKey(bytes, inputPaused);

    const SequenceScan scan = scanSequence(bytes, 2);
    switch (scan.state) {
    case SequenceScan::State::malformed: return skipped(scan.end);
    case SequenceScan::State::unfinished:
        if (!inputPaused) return {};
        // Alt+Shift+O arrives as ESC O with nothing after it.
        if (!controlSequence && bytes.size() == 2) return scanCodeKey(letterScanCode('O'), 2);
        return skipped(bytes.size());
    case SequenceScan::State::finished: break;
    }
    const std::size_t consumed = scan.end + 1;
    const unsigned char final = bytes[scan.end];
    if (controlSequence) return controlSequenceKey(bytes.subspan(2, scan.end - 2), final, consumed);
    return scanCodeKey(finalByteScanCode(final), consumed);
}

} // namespace

DecodedKey decodeKey(std::span<const unsigned char> bytes, bool inputPaused) {
    if (bytes.empty()) return {};
    if (bytes[0] != escapeCharacter) return characterKey(bytes[0], 1);
    if (bytes.size() == 1) return inputPaused ? characterKey(escapeCharacter, 1) : DecodedKey{};

    const unsigned char next = bytes[1];
    if (next == '[' || next == 'O') return sequenceKey(bytes, inputPaused);
    if (isLetter(next)) return scanCodeKey(letterScanCode(next), 2);
    // Esc followed by a key that starts no sequence: the Esc is a key of its own.
    return characterKey(escapeCharacter, 1);
}
