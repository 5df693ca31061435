#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/errors.h"
#include "text/int_array.h"

namespace {

constexpr std::uint8_t worldFlags = 0x08 | IntArray::releaseAtRoutineEnd;

void createWorld(IntArray& world, std::int32_t width, std::int32_t height) {
    createArray(world, worldFlags, IntArray::int32TypeCode, 4, {{0, width}, {0, height}, {0, 2}});
}

bool allZero(const IntArray& array) {
    for (std::uint32_t e = 0; e < array.count; ++e) {
        if (array.data[e] != 0) return false;
    }
    return true;
}

TEST(IntArray, WorldSizesAndLayout) {
    const struct {
        std::int32_t width, height;
        std::uint32_t count;
    } cases[] = {{10, 10, 363}, {600, 600, 1083603}, {10, 20, 11 * 21 * 3}};
    for (const auto& c : cases) {
        RoutineActivation activation;
        IntArray world;
        createWorld(world, c.width, c.height);
        ASSERT_TRUE(world.flags & IntArray::created);
        EXPECT_EQ(activation.errorWord.bits, 0);
        EXPECT_EQ(world.count, c.count);
        EXPECT_EQ(world.size, c.count * 4);
        EXPECT_EQ(world.kind, 2);
        EXPECT_EQ(world.dimensions, 3);
        EXPECT_TRUE(allZero(world));
        const std::ptrdiff_t rowLength = c.width + 1, planeLength = rowLength * (c.height + 1);
        EXPECT_EQ(reinterpret_cast<char*>(elementAt(world, {1, 1, 1})) - reinterpret_cast<char*>(world.data),
                  4 * (1 + rowLength + planeLength));
        EXPECT_EQ(elementAt(world, {c.width, c.height, 2}), world.data + world.count - 1);
        releaseArray(world);
    }

    IntArray shifted;
    createArray(shifted, IntArray::releaseAtRoutineEnd, IntArray::int32TypeCode, 4, {{-2, 2}, {5, 7}});
    EXPECT_EQ(elementAt(shifted, {-2, 5}), shifted.data);
    EXPECT_EQ(elementAt(shifted, {0, 6}), shifted.data + 2 + 5);
    releaseArray(shifted);
}

TEST(IntArray, SecondCreationChangesNothing) {
    RoutineActivation activation;
    IntArray world;
    createWorld(world, 10, 10);
    for (std::uint32_t e = 0; e < world.count; ++e) world.data[e] = static_cast<std::int32_t>(e * 7);
    const IntArray before = world;

    createWorld(world, 50, 50);
    createArray(world, 0, 1, 8, {{5, 1}});
    EXPECT_EQ(world.data, before.data);
    EXPECT_EQ(world.count, before.count);
    EXPECT_EQ(world.dimension[1].upper, 10);
    for (std::uint32_t e = 0; e < world.count; ++e) ASSERT_EQ(world.data[e], static_cast<std::int32_t>(e * 7));
    EXPECT_EQ(activation.errorWord.bits, 0);
    releaseArray(world);
}

TEST(IntArray, BadBoundsGiveErrorNineAndLeaveItNotCreated) {
    const struct {
        const char* what;
        std::initializer_list<Bounds> bounds;
    } cases[] = {
        {"first upper below lower", {{1, 0}, {0, 5}}},     {"last upper below lower", {{0, 5}, {3, 2}}},
        {"count beyond 32 bits", {{0, 65535}, {0, 65536}}}, {"size beyond 32 bits", {{0, 1 << 30}}},
        {"no dimensions", {}},
    };
    for (const auto& c : cases) {
        RoutineActivation activation;
        IntArray array;
        createArray(array, worldFlags, IntArray::int32TypeCode, 4, c.bounds);
        EXPECT_EQ(activation.errorWord.number(), 9) << c.what;
        EXPECT_EQ(array.flags, 0) << c.what;
        EXPECT_EQ(array.data, nullptr) << c.what;

        createArray(array, worldFlags, IntArray::int32TypeCode, 4, {{0, 3}});
        EXPECT_TRUE(array.flags & IntArray::created) << c.what << ": a later creation must still work";
        releaseArray(array);
    }
}

TEST(IntArray, ReleaseFreesOnlyFlaggedOwnedStorage) {
    IntArray kept;
    createArray(kept, 0, IntArray::int32TypeCode, 4, {{0, 3}});
    releaseArray(kept);
    EXPECT_TRUE(kept.flags & IntArray::created);
    std::free(kept.data);

    IntArray world;
    createWorld(world, 10, 10);
    world.data[5] = 99;
    releaseArray(world);
    EXPECT_FALSE(world.flags & IntArray::created);
    createWorld(world, 10, 10);
    EXPECT_TRUE(allZero(world));
    releaseArray(world);

    std::int32_t storage[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    IntArray outside;
    createArray(outside, IntArray::releaseAtRoutineEnd, IntArray::int32TypeCode, 4, {{1, 3}, {1, 4}}, storage);
    EXPECT_TRUE(outside.flags & IntArray::outsideStorage);
    EXPECT_EQ(*elementAt(outside, {2, 2}), 5);
    releaseArray(outside); // freeing the stack storage would crash or be reported
    EXPECT_FALSE(outside.flags & (IntArray::created | IntArray::outsideStorage));
}

} // namespace
