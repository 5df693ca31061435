#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "text/numbers.h"

namespace {

const Number twoTo127 = std::ldexp(1.0L, 127);

TEST(ToNumber, DecimalAndRadixForms) {
    const struct {
        const char* text;
        Number expected;
    } cases[] = {
        {"", 0}, {"   42", 42}, {"\t7", 7}, {"\n7", 7}, {"\r7", 0}, {"12abc", 12}, {"1,000", 1}, {"3 4", 3},
        {"1e3", 1000}, {"1D2", 100}, {"1d-2", 0.01L}, {"1e", 1}, {"1e+", 1}, {".5", 0.5L}, {"-.5", -0.5L},
        {"0012", 12}, {"0.05", 0.05L}, {"1.2.3", 1.2L}, {".", 0}, {"-", 0}, {"- 5", 0}, {"abc", 0},
        {"+-5", 0}, {"--5", 0}, {"0.000e5", 0}, {"1e9999", twoTo127}, {"1e99999", twoTo127},
        {"-1e9999", -twoTo127}, {"1e-9999", 0}, {"12345678901234567890", 12345678901234567800.0L},
        {"1234567890.1234567890", 1234567890.12345678L},
        // radix form
        {"&H64", 100}, {"&h1f", 31}, {"&O17", 15}, {"&q17", 15}, {"&17", 15}, {"&B101", 5}, {"&b102", 2},
        {"&H", 0}, {"&", 0}, {"&HG", 0}, {"&8", 0}, {"  &H10", 16}, {"&HFFFF", -1}, {"&HFFFF%", -1},
        {"&HFFFF&", 65535}, {"&HFFFF&&", 65535}, {"&H7FFF", 32767}, {"&H0FFFF", 65535}, {"&HFFFFFFFF", -1},
        {"&HFFFFFFFF&", -1}, {"&HFFFFFFFF&&", 4294967295.0L}, {"&HFFFFFFFFFFFFFFFF", -1},
        {"&HFFFFFFFFFFFFFFFF?", 0}, {"&H7FFFFFFFFFFFFFFF??", 9223372036854775807.0L}, {"&HFFFF???", 65535},
        {"&H00FFFFFFFFFFFFFFFF", -1}, {"&H1FFFFFFFFFFFFFFFF", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(toNumber(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(toNumber("&B" + std::string(64, '1')), -1);
    EXPECT_EQ(toNumber("&B" + std::string(65, '1')), 0);
}

TEST(ToNumber, LargestDecimalExponentsStayFinite) {
    EXPECT_NEAR(static_cast<double>(toNumber("0.001e4933") / 1e4930L), 1.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(toNumber("1e-4931") * 1e4931L), 1.0, 1e-15);
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

TEST(StoreInteger, RoundsToNearestEvenAndOutOfRangeGivesMostNegative) {
    const struct {
        Number value;
        std::int32_t expected;
    } cases32[] = {{2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {0.5L, 0}, {-0.5L, 0}, {1.4999L, 1}, {0.49999999999999994L, 0}, {-1.5L, -2},
                   {2147483647.4L, 2147483647}, {2147483647.5L, INT32_MIN}, {-2147483649.0L, INT32_MIN},
                   {1e30L, INT32_MIN}, {NAN, INT32_MIN}, {-INFINITY, INT32_MIN}};
    for (const auto& c : cases32) EXPECT_EQ(storeInt32(c.value), c.expected) << static_cast<double>(c.value);
    const struct {
        Number value;
        std::int64_t expected;
    } cases64[] = {{-3.5L, -4}, {4294967296.5L, 4294967296LL}, {9223372036854775807.0L, INT64_MAX},
                   {9223372036854775808.0L, INT64_MIN}, {NAN, INT64_MIN}, {INFINITY, INT64_MIN}};
    for (const auto& c : cases64) EXPECT_EQ(storeInt64(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(IntegerPart, RoundsDown) {
    const Number cases[][2] = {{-0.5L, -1}, {0.9999999L, 0}, {255, 255}, {255.9999L, 255}, {-3.0001L, -4}};
    for (const auto& c : cases) EXPECT_EQ(integerPart(c[0]), c[1]) << static_cast<double>(c[0]);
}

TEST(CountText, LayoutsAndRounding) {
    const struct {
        Number value;
        const char* expected;
    } cases[] = {
        {0, "0"}, {-0.0L, "0"}, {8, "8"}, {80, "80"}, {-3, "-3"}, {2147483647, "2147483647"},
        {123456789012345.0L, "123456789012345"}, {1e15L, "1E+15"}, {1e16L, "1E+16"}, {-1e16L, "-1E+16"},
        {1.23456789012346e20L, "1.23456789012346E+20"}, {123456789012345678.0L, "1.23456789012346E+17"},
        {1e4000L, "1E+4000"}, {0.05L, ".05"}, {-0.05L, "-.05"}, {123.45L, "123.45"},
        {0.123456789012345L, ".123456789012345"}, {1e-15L, ".000000000000001"}, {1.5e-15L, "1.5E-15"},
        {1e-16L, "1E-16"}, {1.5e-17L, "1.5E-17"}, {-2.5e-300L, "-2.5E-300"}, {2.0L / 3, ".666666666666667"},
        // the 16th digit decides alone; a 5 rounds to an even 15th digit whatever follows it
        {1.0000000000000049L, "1"}, {1.0000000000000051L, "1"}, {1.0000000000000151L, "1.00000000000002"},
        {9.999999999999996L, "10"}, {999999999999999.6L, "1E+15"}, {0.9999999999999999999L, "1"},
        {INFINITY, "Inf"}, {-INFINITY, "-Inf"}, {NAN, "NaN"},
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
