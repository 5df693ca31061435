#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>

#include "runtime/errors.h"
#include "tests/support/sanitizers.h"
#include "text/int_array.h"

// The address-space limit that makes an allocation fail is a POSIX resource limit.
namespace {

constexpr std::uint8_t worldFlags = 0x08 | IntArray::releaseAtRoutineEnd;

// Runs in a child process: an array too large for a 1 GiB address space.
[[noreturn]] void createBeyondAddressSpaceLimit() {
    const rlimit limit{std::size_t{1} << 30, std::size_t{1} << 30};
    setrlimit(RLIMIT_AS, &limit);
    RoutineActivation activation;
    IntArray array;
    createArray(array, worldFlags, IntArray::int32TypeCode, 4, {{0, (1 << 30) - 2}});
    std::exit(activation.errorWord.number() == 7 && array.flags == 0 ? 0 : 1);
}

TEST(IntArrayDeathTest, NoMemoryGivesErrorSeven) {
    if (addressCheckerBuild || threadCheckerBuild)
        GTEST_SKIP() << "sanitizers reserve more address space than the limit";
    EXPECT_EXIT(createBeyondAddressSpaceLimit(), testing::ExitedWithCode(0), "");
}

} // namespace
