#include <gtest/gtest.h>

#include <bit>

#include "random_and_time/random.h"
#include "random_and_time/time_of_day.h"
#include "text/numbers.h"

namespace {

class Random : public testing::Test {
protected:
    void TearDown() override { resetRandomState(); }
};

// The results are multiples of 2^-31, so they convert to double exactly.
TEST_F(Random, SequencesFromTheirSeeds) {
    resetRandomState();
    EXPECT_EQ(randomState(), 0xFFFFFFFFu);

    seedRandom(0);
    EXPECT_EQ(random01(), 0);
    EXPECT_EQ(static_cast<double>(random01()), 0.031379939522594213);
    EXPECT_EQ(randomState(), 134775814u);
    EXPECT_EQ(static_cast<double>(random01()), 0.8610484669916332);

    seedRandom(43200);
    EXPECT_EQ(randomState(), 0x4728C000u);
    const double expected[] = {0.4015464782714844, 0.09770608088001609, 0.48564792377874255};
    const Number cellValues[] = {102, 25, 124};
    for (int i = 0; i < 3; ++i) {
        const Number result = random01();
        EXPECT_EQ(static_cast<double>(result), expected[i]);
        EXPECT_EQ(integerPart(result * 256), cellValues[i]);
    }
}

TEST_F(Random, SeedPassesThroughSinglePrecision) {
    seedRandom(43200.001L);
    EXPECT_EQ(randomState(), 0x4728C000u);
    seedRandom(86399.999L);
    EXPECT_EQ(randomState(), std::bit_cast<std::uint32_t>(86400.0f));
    seedRandom(-1);
    EXPECT_EQ(randomState(), 0xBF800000u);
}

TEST_F(Random, LargestResultStaysBelowOne) {
    // The state that steps to all ones, found through the multiplier's inverse mod 2^32.
    constexpr std::uint32_t multiplier = 134775813u;
    std::uint32_t inverse = multiplier;
    for (int i = 0; i < 5; ++i) inverse *= 2u - multiplier * inverse;
    const std::uint32_t beforeAllOnes = (0xFFFFFFFFu - 1u) * inverse;
    seedRandom(std::bit_cast<float>(beforeAllOnes));
    ASSERT_EQ(randomState(), beforeAllOnes);

    const Number largest = random01();
    EXPECT_EQ(largest, 1 - 1.0L / 2147483648.0L);
    EXPECT_EQ(integerPart(largest * 256), 255);
}

TEST(TimeOfDay, WithinOneDayInMilliseconds) {
    const Number seconds = timeOfDay();
    EXPECT_GE(seconds, 0);
    EXPECT_LE(seconds, 86400);
    EXPECT_EQ(integerPart(seconds * 1000 + 0.5L) / 1000, seconds);
}

} // namespace
