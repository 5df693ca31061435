// Hundreds of keys typed at once while the automaton runs, escape sequences and control keys
// among them, with a new rule typed in the middle. The program takes one key per generation, so
// every command must act exactly once, and the bytes typed after "n" must reach the rule prompt's
// readLine although pollKey has already read them from the terminal.
#include <gtest/gtest.h>

#include <random>

#include "tests/fault_program.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace fault;

// What one typed token does when it is polled. A pair "ss" switches single-step mode on and its
// second key, taken by the wait, switches it off again, so no poll ever finds the queue empty
// while stepping.
struct Token {
    std::string bytes;
    char command; // 'x', 'r' or 0 for a key that changes nothing visible on the console
};

const std::vector<Token> tokens = {
    {"x", 'x'},      {"X", 'x'},         {"r", 'r'},        {"R", 'r'},      {"ss", 0},       {"Ss", 0},
    {"7", 0},        {"0", 0},           {"a", 0},          {"\r", 0},       {"\x03", 0},     {"\t", 0},
    {"\x1b[A", 0},   {"\x1b[B", 0},      {"\x1bOP", 0},     {"\x1b[15~", 0}, {"\x1b[3~", 0},  {"\x1bx", 0},
    {"\x1b[1;5C", 0}, {"\x1b\x1b[D", 0}, {"\x1b[99~", 0},   {"\x7f", 0},
};

struct Burst {
    std::string bytes;
    int randomRules = 0;
    int resets = 0;
};

void addTokens(Burst& burst, std::mt19937& generator, int count) {
    std::uniform_int_distribution<std::size_t> pick(0, tokens.size() - 1);
    for (int i = 0; i < count; ++i) {
        const Token& token = tokens[pick(generator)];
        burst.bytes += token.bytes;
        burst.randomRules += token.command == 'x';
        burst.resets += token.command == 'r';
    }
}

TEST(KeyBurst, EveryCommandActsAndNothingIsLostBeforeTheNextLine) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.running());
    PtyProcess program(programOptions());
    ASSERT_TRUE(startRunning(program, "30\r20\r1\r1/23/3\r")) << program.output();

    std::mt19937 generator(20261208);
    Burst burst;
    addTokens(burst, generator, 150);
    // The rule line is edited on the way: an arrow does nothing in a line, Backspace takes the
    // stray 9 back.
    burst.bytes += "n\x1b[A1/34/39\x7f" "4\r";
    addTokens(burst, generator, 150);
    burst.bytes += "q";
    const std::size_t before = program.output().size();
    program.type(burst.bytes);

    const auto status = program.waitForExit(endTimeout);
    ASSERT_TRUE(exitedWith(status, 0)) << describe(status);
    const std::string shown = program.output().substr(before);
    EXPECT_EQ(countOf(shown, "New rule: 1/"), burst.randomRules);
    EXPECT_EQ(countOf(shown, std::string(79, ' ')), burst.resets + 1) << "each r and the n clear the counter line";
    EXPECT_EQ(countOf(shown, "examples:"), 1);
    EXPECT_NE(shown.find(rulePrompt + "1/34/39\b \b4\r\n\r\nGO!"), std::string::npos) << "the rule line as typed";
    EXPECT_TRUE(modesRestored(program));
}

} // namespace
