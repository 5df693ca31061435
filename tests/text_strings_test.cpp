#include <gtest/gtest.h>

#include "text/strings.h"

namespace {

TEST(FindText, Positions) {
    const struct {
        std::int32_t start;
        const char* text;
        const char* pattern;
        std::int32_t expected;
    } cases[] = {
        {1, "23", "3", 2}, {1, "23", "8", 0}, {1, "23", "23", 1}, {1, "", "3", 0}, {1, "abc", "", 1},
        {3, "abc", "", 3}, {4, "abc", "", 0}, {1, "1358", "35", 2}, {1, "123", "12", 1}, {1, "1358", "10", 0},
        {1, "1358", "589", 0}, {3, "abcabc", "ab", 4}, {5, "abcabc", "abc", 0}, {1, "aab", "ab", 2},
        {1, "ABC", "b", 0}, {0, "abc", "a", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findText(c.start, c.text, c.pattern), c.expected)
            << c.start << " \"" << c.text << "\" \"" << c.pattern << '"';
    }
    EXPECT_EQ(findText(1, Text("a\0b\xff", 4), Text("\0b", 2)), 2);
}

TEST(Field, SplitsAtWholeDelimiters) {
    const struct {
        const char* text;
        const char* delimiter;
        std::int32_t n;
        const char* expected;
    } cases[] = {
        {"1/23/3", "/", 1, "1"}, {"1/23/3", "/", 2, "23"}, {"1/23/3", "/", 3, "3"}, {"1/23", "/", 3, ""},
        {"1//3", "/", 2, ""}, {"1/23/3/5", "/", 3, "3"}, {"abc", "/", 1, "abc"}, {"abc", "/", 2, ""},
        {" 1 /2", "/", 1, " 1 "}, {"1/23/3", "/", 0, ""}, {"/x/", "/", 3, ""}, {"a---b", "--", 2, "-b"},
        {"a-b", "-+", 1, "a-b"}, {"1/23/3", "/", -1, "3"}, {"1/23/3", "/", -3, "1"}, {"1/23/3", "/", -4, ""},
        {"abc", "", 1, "abc"}, {"abc", "", 2, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(field(c.text, c.delimiter, c.n), c.expected)
            << '"' << c.text << "\" \"" << c.delimiter << "\" " << c.n;
    }
}

int sign(int value) { return (value > 0) - (value < 0); }

TEST(CompareText, UnsignedByteOrder) {
    const struct {
        Text a, b;
        int expected;
    } cases[] = {
        {"", "0", -1}, {"", "", 0}, {Text("\0H", 2), "0", -1}, {"0", "10", -1}, {"10", "9", -1}, {"q", "9", 1},
        {"s", "s", 0}, {"ab", "abc", -1}, {"abd", "abc", 1}, {"\x80", "\x7f", 1}, {Text("a\0", 2), "a", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(compareText(c.a, c.b)), c.expected) << '"' << c.a << "\" \"" << c.b << '"';
        EXPECT_EQ(sign(compareText(c.b, c.a)), -c.expected) << '"' << c.b << "\" \"" << c.a << '"';
    }
}

TEST(ConcatAndStore, KeepEveryByte) {
    EXPECT_EQ(concat("Iteration: ", "12"), "Iteration: 12");
    EXPECT_EQ(concat(Text("\0", 1), Text("x\0", 2)), Text("\0x\0", 3));

    Text variable(40, 'a');
    const char* storage = variable.data();
    const Text sameLength(40, 'c');
    storeText(variable, sameLength);
    storeText(variable, variable);
    EXPECT_EQ(variable, sameLength);
    EXPECT_EQ(variable.data(), storage);

    storeText(variable, Text(50, 'x'));
    EXPECT_EQ(variable, Text(50, 'x'));
    storeText(variable, Text());
    EXPECT_TRUE(variable.empty());
}

} // namespace
