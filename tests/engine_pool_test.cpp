#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/worker_pool.h"
#include "tests/support/eventually.h"
#ifdef __linux__
#include "tests/support/sleeping_call.h"
#endif

namespace {

TEST(WorkerPool, EveryTaskRunsExactlyOncePerRun) {
    for (unsigned threads : {0u, 1u, 2u, 3u, 5u}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.threadCount(), threads == 0 ? 1u : threads);
        for (std::uint32_t run = 0; run < 3000; ++run) {
            const std::uint32_t taskCount = run % 19;
            std::vector<std::atomic<int>> calls(taskCount);
            pool.run(taskCount, [&](std::uint32_t k) { calls[k].fetch_add(1, std::memory_order_relaxed); });
            for (std::uint32_t k = 0; k < taskCount; ++k) {
                ASSERT_EQ(calls[k].load(), 1) << "threads " << threads << " run " << run << " task " << k;
            }
        }
    }
}

TEST(WorkerPool, RunReturnsOnlyAfterSlowTasksHaveFinished) {
    WorkerPool pool(3);
    for (int run = 0; run < 20; ++run) {
        std::atomic<int> finished{0};
        pool.run(6, [&](std::uint32_t k) {
            std::this_thread::sleep_for(std::chrono::microseconds(100 * (k % 3)));
            finished.fetch_add(1);
        });
        ASSERT_EQ(finished.load(), 6);
    }
}

#ifdef __linux__
// Whether a thread that is not among `others` sleeps on an address, as a worker waiting for a run.
bool newThreadAsleepOnAnAddress(const std::vector<pid_t>& others) {
    for (const pid_t thread : threadsOfThisProcess()) {
        const auto call = sleepingCall(getpid(), thread);
        if (call && call->number == SYS_futex && std::find(others.begin(), others.end(), thread) == others.end()) return true;
    }
    return false;
}
#endif

TEST(WorkerPool, WorkersAsleepAfterAPauseStillTakePart) {
#ifdef __linux__
    const std::vector<pid_t> others = threadsOfThisProcess();
    WorkerPool pool(2);
    ASSERT_TRUE(eventually([&] { return newThreadAsleepOnAnAddress(others); })) << "the worker never sleeps";
#else
    WorkerPool pool(2); // whether the worker sleeps yet cannot be seen here
#endif
    std::atomic<int> calls{0};
    std::vector<std::thread::id> runners(2);
    // The first task waits until another thread has claimed the second one, which proves a sleeping
    // worker was woken; the caller alone could never finish this run.
    pool.run(2, [&](std::uint32_t k) {
        runners[k] = std::this_thread::get_id();
        calls.fetch_add(1);
        while (k == 0 && calls.load() < 2) std::this_thread::yield();
    });
    EXPECT_EQ(calls.load(), 2);
    EXPECT_NE(runners[0], runners[1]);
}

// start must hand the tasks out without waiting for them: here they cannot end before the caller,
// back from start, lets them; finish then completes every one exactly once.
TEST(WorkerPool, StartReturnsAtOnceAndFinishCompletesTheRun) {
    for (unsigned threads : {1u, 2u, 3u}) {
        WorkerPool pool(threads);
        for (int run = 0; run < 200; ++run) {
            std::atomic<bool> released{false};
            std::vector<std::atomic<int>> calls(5);
            const std::function<void(std::uint32_t)> task = [&](std::uint32_t k) {
                while (!released.load()) std::this_thread::yield();
                calls[k].fetch_add(1);
            };
            pool.start(5, task);
            released = true;
            pool.finish();
            for (std::uint32_t k = 0; k < 5; ++k) ASSERT_EQ(calls[k].load(), 1) << threads << " threads, run " << run;
        }
    }
}

} // namespace
