#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>

#include "runtime/errors.h"
#include "text/int_array.h"

namespace {

constexpr std::uint8_t worldFlags = 0x08 | IntArray::releaseAtRoutineEnd;
constexpr std::uint8_t int32TypeCode = 10;

void createWorld(IntArray& world, std::int32_t width, std::int32_t height) {
    createArray(world, worldFlags, int32TypeCode, 4, {{0, width}, {0, height}, {0, 2}});
}

std::ptrdiff_t elementOffset(const IntArray& array, std::int32_t i, std::int32_t j, std::int32_t k) {
    return elementAt(array, {i, j, k}) - array.data;
}

TEST(IntArray, WorldSizes) {
    const struct {
        std::int32_t width, height;
        std::uint32_t count;
    } cases[] = {{10, 10, 363}, {600, 600, 1083603}, {10, 600, 11 * 601 * 3}};
    for (const auto& c : cases) {
        RoutineActivation activation;
        IntArray world;
        createWorld(world, c.width, c.height);
        ASSERT_TRUE(world.flags & IntArray::created);
        EXPECT_EQ(world.count, c.count);
        EXPECT_EQ(world.size, c.count * 4);
        EXPECT_EQ(world.kind, 2);
        EXPECT_EQ(world.typeCode, int32TypeCode);
        EXPECT_EQ(world.dimensions, 3);
        EXPECT_FALSE(world.flags & IntArray::outsideStorage);
        EXPECT_EQ(activation.errorWord.bits, 0);
        for (std::uint32_t e = 0; e < world.count; ++e) ASSERT_EQ(world.data[e], 0) << e;
        releaseArray(world);
    }
}

TEST(IntArray, FirstIndexVariesFastest) {
    IntArray world;
    createWorld(world, 10, 20);
    EXPECT_EQ(elementOffset(world, 0, 0, 0), 0);
    EXPECT_EQ(elementOffset(world, 1, 1, 1), 1 + 11 + 11 * 21);
    EXPECT_EQ(elementOffset(world, 10, 20, 2), world.count - 1);
    EXPECT_EQ(reinterpret_cast<char*>(elementAt(world, {1, 1, 1})) - reinterpret_cast<char*>(world.data),
              4 * (1 + 1 * 11 + 1 * 11 * 21));
    releaseArray(world);

    IntArray shifted;
    createArray(shifted, IntArray::releaseAtRoutineEnd, int32TypeCode, 4, {{-2, 2}, {5, 7}, {-1, -1}});
    EXPECT_EQ(shifted.count, 15u);
    EXPECT_EQ(elementOffset(shifted, -2, 5, -1), 0);
    EXPECT_EQ(elementOffset(shifted, 2, 7, -1), 14);
    EXPECT_EQ(elementOffset(shifted, 0, 6, -1), 2 + 5);
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
    EXPECT_EQ(world.flags, before.flags);
    EXPECT_EQ(world.dimension[1].upper, 10);
    for (std::uint32_t e = 0; e < world.count; ++e) ASSERT_EQ(world.data[e], static_cast<std::int32_t>(e * 7));
    EXPECT_EQ(activation.errorWord.bits, 0);
    releaseArray(world);
}

TEST(IntArray, BadBoundsGiveErrorNine) {
    const struct {
        const char* what;
        std::uint32_t elementSize;
        std::initializer_list<Bounds> bounds;
    } cases[] = {
        {"first upper below lower", 4, {{1, 0}, {0, 5}}},
        {"last upper below lower", 4, {{0, 5}, {0, 5}, {3, 2}}},
        {"count beyond 32 bits", 4, {{0, 65535}, {0, 65536}}},
        {"size beyond 32 bits", 4, {{0, 1 << 30}}},
        {"whole 32-bit index range", 1, {{INT32_MIN, INT32_MAX}}},
        {"no dimensions", 4, {}},
    };
    for (const auto& c : cases) {
        RoutineActivation activation;
        IntArray array;
        createArray(array, worldFlags, int32TypeCode, c.elementSize, c.bounds);
        EXPECT_EQ(activation.errorWord.number(), 9) << c.what;
        EXPECT_TRUE(activation.errorWord.pending()) << c.what;
        EXPECT_EQ(array.flags, 0) << c.what;
        EXPECT_EQ(array.data, nullptr) << c.what;

        createArray(array, worldFlags, int32TypeCode, 4, {{0, 3}});
        EXPECT_TRUE(array.flags & IntArray::created) << c.what << ": a later creation must still work";
        releaseArray(array);
    }
}

bool runningUnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// Runs in a child process: creates an array too large for a 1 GiB address space.
[[noreturn]] void createBeyondAddressSpaceLimit() {
    const rlimit limit{std::size_t{1} << 30, std::size_t{1} << 30};
    setrlimit(RLIMIT_AS, &limit);
    RoutineActivation activation;
    IntArray array;
    createArray(array, worldFlags, int32TypeCode, 4, {{0, (1 << 30) - 2}});
    const bool notCreated = array.flags == 0 && array.data == nullptr;
    std::exit(activation.errorWord.number() == 7 && notCreated ? 0 : 1);
}

TEST(IntArrayDeathTest, NoMemoryGivesErrorSeven) {
    if (runningUnderSanitizer()) GTEST_SKIP() << "sanitizers reserve more address space than the limit";
    EXPECT_EXIT(createBeyondAddressSpaceLimit(), testing::ExitedWithCode(0), "");
}

TEST(IntArray, ReleaseOnlyWhenFlagged) {
    IntArray kept;
    createArray(kept, 0, int32TypeCode, 4, {{0, 3}});
    releaseArray(kept);
    EXPECT_TRUE(kept.flags & IntArray::created);
    EXPECT_NE(kept.data, nullptr);
    std::free(kept.data);

    IntArray world;
    createWorld(world, 10, 10);
    world.data[5] = 99;
    releaseArray(world);
    EXPECT_FALSE(world.flags & IntArray::created);
    createWorld(world, 10, 10);
    ASSERT_TRUE(world.flags & IntArray::created);
    for (std::uint32_t e = 0; e < world.count; ++e) ASSERT_EQ(world.data[e], 0) << e;
    releaseArray(world);
}

TEST(IntArray, OutsideStorageIsUsedAndNotOwned) {
    std::int32_t storage[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    IntArray array;
    createArray(array, IntArray::releaseAtRoutineEnd, int32TypeCode, 4, {{1, 3}, {1, 4}}, storage);
    ASSERT_TRUE(array.flags & IntArray::created);
    EXPECT_TRUE(array.flags & IntArray::outsideStorage);
    EXPECT_EQ(array.size, 48u);
    EXPECT_EQ(*elementAt(array, {3, 4}), 12);
    EXPECT_EQ(*elementAt(array, {2, 2}), 5);

    releaseArray(array); // freeing the stack storage would crash or be reported
    EXPECT_FALSE(array.flags & (IntArray::created | IntArray::outsideStorage));
    EXPECT_EQ(storage[11], 12);
}

} // namespace
