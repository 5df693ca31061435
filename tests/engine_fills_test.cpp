#include <gtest/gtest.h>

#include <algorithm>

#include "engine/fills.h"
#include "tests/support/headless_world.h"
#include "random_and_time/random.h"

namespace {

std::uint32_t stateAfterDraws(Number seed, std::int64_t draws) {
    seedRandom(seed);
    for (std::int64_t k = 0; k < draws; ++k) random01();
    return randomState();
}

std::vector<std::int32_t> planeInVisitingOrder(const World& world, std::int32_t plane, std::int32_t width,
                                               std::int32_t height) {
    std::vector<std::int32_t> values;
    for (std::int32_t i = 1; i <= width; ++i) {
        for (std::int32_t j = 1; j <= height; ++j) values.push_back(world.cell(i, j, plane));
    }
    return values;
}

TEST(ResetFill, DrawsOncePerCellColumnByColumnIntoPlaneOneOnly) {
    HeadlessWorld headless(13, 10);
    World& world = headless.world();
    world.setCell(4, 4, 2, 77);
    seedRandom(3);
    resetFill(world);
    EXPECT_EQ(randomState(), stateAfterDraws(3, 13 * 10));
    EXPECT_EQ(world.cell(4, 4, 2), 77);

    seedRandom(3);
    const std::vector<std::int32_t> values = planeInVisitingOrder(world, 1, 13, 10);
    for (std::size_t k = 0; k < values.size(); ++k) {
        ASSERT_EQ(values[k], std::int32_t(random01() * 256)) << "draw " << k;
    }
}

TEST(ResetFill, ReachesEveryValueFromZeroTo255) {
    HeadlessWorld headless(600, 600);
    headless.reset(11);
    const std::vector<std::int32_t> cells = headless.cells();
    std::vector<int> seen(257, 0);
    for (std::int32_t value : cells) {
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 255);
        seen[std::size_t(value)] = 1;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 256);
}

TEST(DensityFill, EachDigitFillsItsRangeWithItsNumberOfDraws) {
    struct Case {
        int digit;
        std::int32_t lowest, highest, drawsPerCell;
    };
    const Case cases[] = {{0, 0, 147, 2},   {1, 0, 159, 2},  {2, 0, 174, 2},  {3, 0, 189, 2},
                          {4, 0, 221, 2},   {5, 0, 254, 1},  {6, 33, 254, 2}, {7, 65, 254, 2},
                          {8, 80, 254, 2},  {9, 105, 254, 2}};
    constexpr std::int32_t width = 300, height = 200;
    HeadlessWorld headless(width, height);
    for (const Case& c : cases) {
        seedRandom(c.digit + 1);
        densityFill(headless.world(), 2, c.digit);
        EXPECT_EQ(randomState(), stateAfterDraws(c.digit + 1, std::int64_t(width) * height * c.drawsPerCell))
            << "digit " << c.digit;
        const std::vector<std::int32_t> values = planeInVisitingOrder(headless.world(), 2, width, height);
        const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
        EXPECT_EQ(*lowest, c.lowest) << "digit " << c.digit;
        EXPECT_EQ(*highest, c.highest) << "digit " << c.digit;
    }
}

// The ranges above hold the engine's density table to the stated ones; this holds the fill to
// the table, draw by draw.
TEST(DensityFill, KeepsTheSecondDrawExceptForFive) {
    HeadlessWorld headless(10, 11);
    for (int digit = 0; digit <= 9; ++digit) {
        seedRandom(9);
        densityFill(headless.world(), 1, digit);
        seedRandom(9);
        const Density density = densities[std::size_t(digit)];
        for (std::int32_t value : planeInVisitingOrder(headless.world(), 1, 10, 11)) {
            const std::int32_t first = std::int32_t(random01() * 255);
            const std::int32_t expected = digit == 5 ? first : density.offset + std::int32_t(random01() * density.scale);
            ASSERT_EQ(value, expected) << "digit " << digit;
        }
    }
}

TEST(DensityFill, AnythingButADigitChangesNothing) {
    HeadlessWorld headless(10, 10);
    headless.reset(5);
    const std::vector<std::int32_t> before = headless.cells();
    const std::uint32_t state = randomState();
    for (int digit : {-1, 10, 53}) densityFill(headless.world(), 1, digit);
    EXPECT_EQ(headless.cells(), before);
    EXPECT_EQ(randomState(), state);
}

} // namespace
