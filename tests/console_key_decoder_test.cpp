#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Outcome = DecodedKey::Outcome;

std::span<const unsigned char> bytesOf(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

std::string keyOf(const DecodedKey& decoded) { return decoded.key.text(); }

std::string scan(int code) { return std::string{'\0', static_cast<char>(code)}; }

// Every key of a finished input, as the console queue would take them.
std::vector<std::string> decodeAll(const std::string& input) {
    std::vector<std::string> keys;
    std::span<const unsigned char> rest = bytesOf(input);
    while (!rest.empty()) {
        const DecodedKey decoded = decodeKey(rest, true);
        if (decoded.outcome == Outcome::key) keys.push_back(keyOf(decoded));
        rest = rest.subspan(decoded.consumed);
    }
    return keys;
}

struct SequenceCase {
    const char* sequence;
    int scanCode;
};

TEST(KeyDecoder, EscapeSequencesGiveScanCodesAndConsumeThemWhole) {
    const SequenceCase cases[] = {
        {"\x1b[A", 72},   {"\x1b[B", 80},   {"\x1b[C", 77},   {"\x1b[D", 75},   {"\x1b[H", 71},
        {"\x1b[F", 79},   {"\x1bOA", 72},   {"\x1bOB", 80},   {"\x1bOC", 77},   {"\x1bOD", 75},
        {"\x1bOH", 71},   {"\x1bOF", 79},   {"\x1b[1~", 71},  {"\x1b[7~", 71},  {"\x1b[4~", 79},
        {"\x1b[8~", 79},  {"\x1b[2~", 82},  {"\x1b[3~", 83},  {"\x1b[5~", 73},  {"\x1b[6~", 81},
        {"\x1bOP", 59},   {"\x1bOQ", 60},   {"\x1bOR", 61},   {"\x1bOS", 62},   {"\x1b[P", 59},
        {"\x1b[11~", 59}, {"\x1b[12~", 60}, {"\x1b[13~", 61}, {"\x1b[14~", 62}, {"\x1b[15~", 63},
        {"\x1b[17~", 64}, {"\x1b[18~", 65}, {"\x1b[19~", 66}, {"\x1b[20~", 67}, {"\x1b[21~", 68},
        {"\x1b[23~", 87}, {"\x1b[24~", 88}, {"\x1b[[A", 59},  {"\x1b[[B", 60},  {"\x1b[[C", 61},
        {"\x1b[[D", 62},  {"\x1b[[E", 63},
        // With modifiers: Ctrl, Shift, Alt change nothing about the key.
        {"\x1b[1;5A", 72}, {"\x1b[1;2D", 75}, {"\x1b[3;5~", 83}, {"\x1b[5;3~", 73}, {"\x1b[1;5P", 59},
        {"\x1b[24;2~", 88}, {"\x1bO5A", 72}, {"\x1bO2S", 62},
        // Alt with a letter, either case.
        {"\x1bx", 45}, {"\x1bq", 16}, {"\x1bp", 25}, {"\x1b" "a", 30}, {"\x1bl", 38}, {"\x1bz", 44},
        {"\x1bm", 50}, {"\x1bX", 45}, {"\x1bQ", 16},
    };
    for (const SequenceCase& c : cases) {
        const std::string input = c.sequence;
        const DecodedKey decoded = decodeKey(bytesOf(input + "z"), false);
        EXPECT_EQ(decoded.outcome, Outcome::key) << input.substr(1);
        EXPECT_EQ(keyOf(decoded), scan(c.scanCode)) << input.substr(1);
        EXPECT_EQ(decoded.consumed, input.size()) << input.substr(1);
    }
}

TEST(KeyDecoder, UnfinishedSequencesWaitUnlessInputPaused) {
    struct Case {
        std::string input;
        Outcome whenPaused;
        std::string keyWhenPaused;
    };
    const Case cases[] = {
        {"\x1b", Outcome::key, "\x1b"},
        {"\x1bO", Outcome::key, scan(24)}, // Alt+Shift+O
        {"\x1b[", Outcome::skipped, ""},
        {"\x1b[1;5", Outcome::skipped, ""},
        {"\x1b[[", Outcome::skipped, ""},
        {"\x1bO5", Outcome::skipped, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeKey(bytesOf(c.input), false).outcome, Outcome::incomplete) << c.input.substr(1);
        const DecodedKey settled = decodeKey(bytesOf(c.input), true);
        EXPECT_EQ(settled.outcome, c.whenPaused) << c.input.substr(1);
        EXPECT_EQ(keyOf(settled), c.keyWhenPaused) << c.input.substr(1);
        EXPECT_EQ(settled.consumed, c.input.size()) << c.input.substr(1);
    }
    EXPECT_EQ(decodeKey({}, true).outcome, Outcome::incomplete);
}

TEST(KeyDecoder, StreamsDecodeKeyByKeyDroppingUnknownSequences) {
    struct Case {
        std::string input;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {std::string("\0\x03\b\r\x1aS\x7f\x8e\xff", 9), {{'\0'}, "\x03", "\b", "\r", "\x1a", "S", "\x7f", "\x8e", "\xff"}},
        {"\x1b[Z" "a", {"a"}},              // Shift+Tab: no key here
        {"\x1b[?1;2c" "a", {"a"}},          // a terminal's answer, not a key
        {"\x1b[99~" "a", {"a"}},
        {"\x1b[2A" "a", {"a"}},
        {"\x1b[[Z" "a", {"a"}},
        {"\x1b[1\x1b[A", {scan(72)}},       // broken off by the next sequence
        {"\x1b[1\x03", {"\x03"}},
        {"\x1b\x1b[B", {"\x1b", scan(80)}}, // Esc, then Down
        {"\x1b" "5", {"\x1b", "5"}},
        {"a\x1b[Ab\x1bOQ\x1b", {"a", scan(72), "b", scan(60), "\x1b"}},
        // Too long to be a key: the first 32 bytes go, the rest are keys again.
        {"\x1b[" + std::string(32, '1') + "~", {"1", "1", "~"}},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeAll(c.input), c.keys) << c.input.substr(1);
}

} // namespace
