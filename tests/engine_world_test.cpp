#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "tests/support/headless_world.h"
#include "engine/world.h"
#include "runtime/errors.h"

namespace {

// The sum over every other cell within `size` of (x, y) in torus distance, computed from the
// modular distance rather than by wrapping indices.
std::int32_t torusSum(const World& world, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                      std::int32_t size, std::int32_t plane) {
    auto near = [size](std::int32_t a, std::int32_t b, std::int32_t period) {
        const std::int32_t d = ((a - b) % period + period) % period;
        return d <= size || period - d <= size;
    };
    std::int32_t sum = 0;
    for (std::int32_t a = 1; a <= width; ++a) {
        for (std::int32_t b = 1; b <= height; ++b) {
            if ((a != x || b != y) && near(a, x, width) && near(b, y, height)) sum += world.cell(a, b, plane);
        }
    }
    return sum;
}

TEST(World, CreationZeroFillsTheWholeArrayWithTheStatedBounds) {
    for (const auto& [cellWidth, bytes, typeCode] : {std::tuple{CellWidth::oneByte, 1u, 17}, std::tuple{CellWidth::twoBytes, 2u, 18}}) {
        RoutineActivation activation;
        World world;
        world.create(10, 12, cellWidth);
        ASSERT_EQ(activation.errorWord.number(), 0);
        const IntArray& array = world.array();
        EXPECT_EQ(array.count, 11u * 13u * 3u);
        EXPECT_EQ(array.size, 11u * 13u * 3u * bytes);
        EXPECT_EQ(array.typeCode, typeCode);
        EXPECT_EQ(array.dimensions, 3);
        EXPECT_EQ(world.cellWidth(), cellWidth);
        const auto* data = reinterpret_cast<const unsigned char*>(array.data);
        for (std::uint32_t k = 0; k < array.size; ++k) ASSERT_EQ(data[k], 0) << k;
        EXPECT_EQ(world.rowAddress(1, 1), data + bytes * (1 * 11 + 1 * 11 * 13));
        EXPECT_EQ(world.rowAddress(12, 2), data + bytes * (12 * 11 + 2 * 11 * 13));
        EXPECT_EQ(world.width(), 10);
        EXPECT_EQ(world.height(), 12);
    }
}

TEST(World, SecondCreationKeepsBoundsWidthAndCells) {
    World world;
    world.create(10, 10, CellWidth::twoBytes);
    world.setCell(3, 4, 1, 256);
    std::int32_t* data = world.array().data;
    world.create(20, 30, CellWidth::oneByte);
    EXPECT_EQ(world.array().data, data);
    EXPECT_EQ(world.width(), 10);
    EXPECT_EQ(world.height(), 10);
    EXPECT_EQ(world.cellWidth(), CellWidth::twoBytes);
    EXPECT_EQ(world.cell(3, 4, 1), 256);
}

// Narrow cells change nothing about which worlds are refused: bad bounds, and any world whose
// 32-bit form would exceed 32 bits of bytes, both with error 9.
TEST(World, BadBoundsAreRecordedAndLeaveNoWorld) {
    for (const auto& [width, height] : {std::pair{-5, 10}, std::pair{30000, 12000}}) {
        RoutineActivation activation;
        World world;
        world.create(width, height, CellWidth::oneByte);
        EXPECT_EQ(activation.errorWord.number(), 9) << width << " x " << height;
        EXPECT_FALSE(world.exists());
        EXPECT_EQ(world.array().data, nullptr);
    }
}

TEST(NeighbourhoodSum, CornerCellSeesTheThreeOppositeCorners) {
    HeadlessWorld headless(10, 12);
    World& world = headless.world();
    world.setCell(10, 12, 1, 1);   // diagonal across both seams
    world.setCell(10, 1, 1, 10);   // across the column seam
    world.setCell(1, 12, 1, 100);  // across the row seam
    world.setCell(2, 2, 1, 1000);  // inside
    world.setCell(1, 1, 1, 5000);  // the centre itself
    world.setCell(9, 1, 1, 20000); // two columns away
    EXPECT_EQ(neighbourhoodSum(world, 1, 1, 1, 1), 1111);
    EXPECT_EQ(neighbourhoodSum(world, 10, 12, 1, 1), 5000 + 10 + 100 + 20000);
    EXPECT_EQ(neighbourhoodSum(world, 1, 1, 1, 2), 0);
}

TEST(NeighbourhoodSum, SizeFourOnTenColumnsLeavesOutExactlyTheOppositeColumn) {
    HeadlessWorld headless(10, 10);
    World& world = headless.world();
    for (std::int32_t j = 1; j <= 10; ++j) world.setCell(6, j, 1, 256);
    EXPECT_EQ(neighbourhoodSum(world, 1, 5, 4, 1), 0);
    EXPECT_EQ(neighbourhoodSum(world, 2, 5, 4, 1), 9 * 256);
    EXPECT_EQ(neighbourhoodSum(world, 6, 5, 4, 1), 8 * 256);
}

TEST(NeighbourhoodSum, MatchesTheTorusDistanceDefinitionEverywhere) {
    std::mt19937 random(7);
    struct Case {
        std::int32_t width, height, size;
    };
    for (const Case& c : {Case{10, 10, 4}, Case{10, 13, 3}, Case{17, 10, 2}, Case{11, 12, 1}, Case{23, 19, 4}}) {
        HeadlessWorld headless(c.width, c.height);
        std::vector<std::int32_t> cells(std::size_t(c.width * c.height));
        for (auto& value : cells) value = std::int32_t(random() % 257);
        headless.loadCells(cells);
        for (std::int32_t x = 1; x <= c.width; ++x) {
            for (std::int32_t y = 1; y <= c.height; ++y) {
                ASSERT_EQ(neighbourhoodSum(headless.world(), x, y, c.size, 1),
                          torusSum(headless.world(), x, y, c.width, c.height, c.size, 1))
                    << c.width << "x" << c.height << " size " << c.size << " at " << x << "," << y;
            }
        }
    }
}

} // namespace
