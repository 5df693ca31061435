#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "text/numbers.h"

namespace {

struct Conversion {
    const char* text;
    Number expected;
};

const Number twoTo127 = std::ldexp(1.0L, 127);

TEST(ToNumber, DecimalForm) {
    const Conversion cases[] = {
        {"", 0},
        {"   42", 42},
        {"\t7", 7},
        {"\n7", 7},
        {"\r7", 0},
        {"12abc", 12},
        {"1,000", 1},
        {"3 4", 3},
        {"1e3", 1000},
        {"1E+3", 1000},
        {"1D2", 100},
        {"1d-2", 0.01L},
        {"1e", 1},
        {"1e+", 1},
        {"2.5e-1", 0.25L},
        {".5", 0.5L},
        {"-.5", -0.5L},
        {"+.5", 0.5L},
        {"0012", 12},
        {"0.05", 0.05L},
        {"1.2.3", 1.2L},
        {".", 0},
        {"-", 0},
        {"- 5", 0},
        {"abc", 0},
        {"+-5", 0},
        {"--5", 0},
        {"000", 0},
        {"0.000e5", 0},
        {"1e9999", twoTo127},
        {"1e99999", twoTo127},
        {"-1e9999", -twoTo127},
        {"1e-9999", 0},
        {"12345678901234567890", 12345678901234567800.0L},
        {"1234567890.1234567890", 1234567890.12345678L},
        {"9223372036854775807", 9223372036854775800.0L},
    };
    for (const Conversion& c : cases) EXPECT_EQ(toNumber(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ToNumber, LargestDecimalExponentsStayFinite) {
    const Number justBelowSaturation = toNumber("0.001e4933");
    EXPECT_NEAR(static_cast<double>(justBelowSaturation / 1e4930L), 1.0, 1e-15);
    EXPECT_TRUE(std::isfinite(toNumber("9.9e4931")));
    EXPECT_GT(toNumber("1e-4931"), 0);
    EXPECT_NEAR(static_cast<double>(toNumber("1e-4931") * 1e4931L), 1.0, 1e-15);
}

TEST(ToNumber, RadixForm) {
    const Conversion cases[] = {
        {"&H64", 100},
        {"&h1f", 31},
        {"&O17", 15},
        {"&q17", 15},
        {"&17", 15},
        {"&B101", 5},
        {"&b102", 2},
        {"&H", 0},
        {"&", 0},
        {"&HG", 0},
        {"&8", 0},
        {"  &H10", 16},
        {"&HFFFF", -1},
        {"&HFFFF%", -1},
        {"&HFFFF&", 65535},
        {"&HFFFF&&", 65535},
        {"&H7FFF", 32767},
        {"&H0FFFF", 65535},
        {"&HFFFFFFFF", -1},
        {"&HFFFFFFFF&", -1},
        {"&HFFFFFFFF&&", 4294967295.0L},
        {"&H10000", 65536},
        {"&HFFFFFFFFFFFFFFFF", -1},
        {"&HFFFFFFFFFFFFFFFF?", 0},
        {"&H7FFFFFFFFFFFFFFF??", 9223372036854775807.0L},
        {"&HFFFF???", 65535},
        {"&H00FFFFFFFFFFFFFFFF", -1},
        {"&H1FFFFFFFFFFFFFFFF", 0},
        {"&H8000000000000000", -9223372036854775807.0L - 1},
    };
    for (const Conversion& c : cases) EXPECT_EQ(toNumber(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(toNumber("&B" + std::string(64, '1')), -1);
    EXPECT_EQ(toNumber("&B" + std::string(65, '1')), 0);
}

// With at most 18 digits and a power of ten up to 10^27 every factor is exact, so the result is
// the correctly rounded value, which strtold also gives.
TEST(ToNumber, ExactFactorsGiveCorrectlyRoundedValues) {
    std::mt19937_64 generator(20240611);
    std::uniform_int_distribution<std::uint64_t> mantissa(1, 999999999999999999ULL);
    std::uniform_int_distribution<int> exponent(-27, 27);
    for (int i = 0; i < 5000; ++i) {
        const std::string text = std::to_string(mantissa(generator)) + "e" + std::to_string(exponent(generator));
        EXPECT_EQ(toNumber(text), std::strtold(text.c_str(), nullptr)) << text;
    }
}

TEST(StoreInteger, RoundsToNearestEven) {
    const struct {
        Number value;
        std::int32_t expected;
    } cases[] = {
        {2.5L, 2},   {3.5L, 4},   {-2.5L, -2}, {0.5L, 0},    {-0.5L, 0},   {1.4999L, 1},
        {1.5001L, 2}, {-1.5L, -2}, {255, 255}, {2147483647.4L, 2147483647}, {-2147483648.0L, INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(storeInt32(c.value), c.expected) << static_cast<double>(c.value);
    EXPECT_EQ(storeInt32(toNumber("2.5")), 2);
    EXPECT_EQ(storeInt32(toNumber("3.5")), 4);
    EXPECT_EQ(storeInt32(toNumber("-0.5")), 0);
    EXPECT_EQ(storeInt64(2.5L), 2);
    EXPECT_EQ(storeInt64(-3.5L), -4);
    EXPECT_EQ(storeInt64(9223372036854775807.0L), INT64_MAX);
    EXPECT_EQ(storeInt64(4294967296.5L), 4294967296LL);
}

TEST(StoreInteger, OutOfRangeGivesMostNegative) {
    const Number outside32[] = {2147483647.5L, 2147483648.0L, -2147483649.0L, 1e30L, -1e30L, NAN, INFINITY, -INFINITY};
    for (Number value : outside32) EXPECT_EQ(storeInt32(value), INT32_MIN) << static_cast<double>(value);
    const Number outside64[] = {9223372036854775808.0L, -9223372036854775809.0L, 1e30L, NAN, INFINITY};
    for (Number value : outside64) EXPECT_EQ(storeInt64(value), INT64_MIN) << static_cast<double>(value);
}

TEST(IntegerPart, RoundsDown) {
    const struct {
        Number value;
        Number expected;
    } cases[] = {{-0.5L, -1}, {0.9999999L, 0}, {255, 255}, {255.9999L, 255}, {-3, -3}, {-3.0001L, -4}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(integerPart(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(CountText, Layouts) {
    const struct {
        Number value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {-0.0L, "0"},
        {8, "8"},
        {80, "80"},
        {-3, "-3"},
        {1000, "1000"},
        {2147483647, "2147483647"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E+15"},
        {1e16L, "1E+16"},
        {-1e16L, "-1E+16"},
        {1.23456789012346e20L, "1.23456789012346E+20"},
        {123456789012345678.0L, "1.23456789012346E+17"},
        {1e100L, "1E+100"},
        {1e4000L, "1E+4000"},
        {0.05L, ".05"},
        {-0.05L, "-.05"},
        {0.5L, ".5"},
        {123.45L, "123.45"},
        {1.23456789012345L, "1.23456789012345"},
        {0.123456789012345L, ".123456789012345"},
        {1e-15L, ".000000000000001"},
        {1.5e-15L, "1.5E-15"},
        {1e-16L, "1E-16"},
        {1.5e-17L, "1.5E-17"},
        {-2.5e-300L, "-2.5E-300"},
        {1.0L / 3, ".333333333333333"},
        {2.0L / 3, ".666666666666667"},
    };
    for (const auto& c : cases) EXPECT_EQ(countText(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(CountText, SixteenthDigitDecidesAlone) {
    const struct {
        Number value;
        const char* expected;
    } cases[] = {
        {1.0000000000000049L, "1"},
        {1.0000000000000051L, "1"}, // 15th digit 0 is even: the 1 after the 5 does not count
        {1.0000000000000151L, "1.00000000000002"},
        {1.000000000000006L, "1.00000000000001"},
        {9.999999999999996L, "10"},
        {999999999999999.6L, "1E+15"},
        {0.9999999999999999999L, "1"},
    };
    for (const auto& c : cases) EXPECT_EQ(countText(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(CountText, WholeNumbersUpToFifteenDigitsAreExact) {
    std::mt19937_64 generator(7);
    std::uniform_int_distribution<std::int64_t> whole(-999999999999999LL, 999999999999999LL);
    for (int i = 0; i < 5000; ++i) {
        const std::int64_t n = whole(generator);
        EXPECT_EQ(countText(static_cast<Number>(n)), std::to_string(n));
    }
    for (int n = 0; n <= 80; ++n) EXPECT_EQ(countText(n), std::to_string(n));
}

TEST(CountText, ReadsBackWithinFifteenDigits) {
    std::mt19937_64 generator(11);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-4900, 4900);
    for (int i = 0; i < 5000; ++i) {
        const Number value = mantissa(generator) * std::pow(10.0L, exponent(generator));
        const Text text = countText(value);
        EXPECT_LE(std::fabs(toNumber(text) - value), 1e-14L * value) << text;
    }
}

} // namespace
