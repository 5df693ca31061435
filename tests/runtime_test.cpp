#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "runtime/errors.h"
#include "runtime/floating_point.h"
#include "runtime/system_call.h"
#include "runtime/thread_record.h"

namespace {

TEST(RaiseError, RecordsInTheInnermostActivationOnly) {
    RoutineActivation caller;
    {
        RoutineActivation callee;
        raiseError(RunError::badArrayBounds);
        EXPECT_EQ(callee.errorWord.number(), 9);
        EXPECT_TRUE(callee.errorWord.pending());
    }
    EXPECT_EQ(caller.errorWord.bits, 0);
    raiseError(RunError::none);
    EXPECT_EQ(caller.errorWord.number(), 51) << "an error without a number is 51";
    raiseError(RunError::noMemory);
    EXPECT_EQ(caller.errorWord.number(), 7) << "the latest error is the one kept";
}

TEST(RaiseError, WithoutAnActivationGoesToThePerThreadWord) {
    std::thread([] {
        raiseError(RunError::noCanvas);
        EXPECT_EQ(currentErrorWord().number(), 68);
    }).join();
    RoutineActivation fresh;
    EXPECT_EQ(currentErrorWord().bits, 0) << "another thread's error never shows here";
}

#if defined(__x86_64__)
// Bit 6 of the x87 control word is reserved and reads back as set.
std::uint16_t meaningfulBits(std::uint16_t controlWord) { return controlWord & ~0x40; }

TEST(FloatingPoint, EnvironmentIsNearestEvenWithExtendedPrecision) {
    setFloatingPointEnvironment();
    EXPECT_EQ(meaningfulBits(saveFloatingPointState().x87ControlWord), programX87ControlWord);
    volatile long double third = 1.0L / 3.0L;
    EXPECT_NE(static_cast<double>(third) - third, 0.0L) << "the 64-bit mantissa is in force";
}

TEST(GuardedSystemCall, KeepsTheFloatingPointStateAndCollectsThePlatformError) {
    setFloatingPointEnvironment();
    const auto outcome = guardedSystemCall([] {
        // A call that changes the rounding mode and fails must leave neither change behind.
        restoreFloatingPointState({0x0F7F, 0x7F80});
        return std::fopen("no-such-directory/no-such-file", "rb");
    });
    EXPECT_EQ(outcome.value, nullptr);
    EXPECT_NE(outcome.error, 0) << "the failed open's error code is collected";
    const FloatingPointState after = saveFloatingPointState();
    EXPECT_EQ(meaningfulBits(after.x87ControlWord), programX87ControlWord);
    EXPECT_EQ(after.mxcsr, programMxcsr);
}
#endif

int releasesSeen = 0;
void noteRelease() { ++releasesSeen; }

TEST(ThreadRecord, EachThreadHasItsOwnAndItsReleaseRunsItsHook) {
    ThreadRecord& mine = threadRecord();
    mine.onRelease = noteRelease;
    std::thread([&mine] {
        ThreadRecord& theirs = threadRecord();
        EXPECT_NE(&theirs, &mine);
        EXPECT_EQ(theirs.onRelease, nullptr);
    }).join();
    EXPECT_EQ(threadRecord().onRelease, noteRelease);
    releaseThreadRecord();
    EXPECT_EQ(releasesSeen, 1);
    EXPECT_EQ(threadRecord().onRelease, nullptr) << "a released record comes back zero-filled";
}

} // namespace
