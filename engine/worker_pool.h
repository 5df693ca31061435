#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

// Threads kept for the whole run so a generation pays no thread start. The calling thread works
// too, and tasks are claimed one at a time, so a worker that is slow to wake only means the
// caller takes its share.
class WorkerPool {
public:
    // threadCount counts the caller; 0 is taken as 1.
    explicit WorkerPool(unsigned threadCount);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    unsigned threadCount() const { return static_cast<unsigned>(workers_.size()) + 1; }

    // Calls task(k) once for every k in 0..taskCount-1 and returns when all calls have returned.
    void run(std::uint32_t taskCount, const std::function<void(std::uint32_t)>& task);

    // run in two halves, so the caller can do other work while the workers start on the tasks:
    // start hands them out and returns at once; finish takes part in what is left and returns
    // when every call has returned. task must stay alive until then, and every start must be
    // followed by its finish before the next start.
    void start(std::uint32_t taskCount, const std::function<void(std::uint32_t)>& task);
    void finish();

private:
    void workerLoop();
    void claimTasks(std::uint32_t epoch);
    void waitForAll(std::uint32_t taskCount);

    std::vector<std::thread> workers_;
    // The claim word holds the run's epoch in its high half and the next task in its low half,
    // so a worker still finishing one run can never claim a task of the next.
    std::atomic<std::uint64_t> claim_{0};
    std::atomic<std::uint32_t> epoch_{0};
    std::atomic<std::uint32_t> taskCount_{0};
    std::atomic<const std::function<void(std::uint32_t)>*> task_{nullptr};
    std::atomic<std::uint32_t> finished_{0};
    // The caller sleeps in finish until the last task ends.
    std::atomic<bool> callerSleeping_{false};
    std::atomic<bool> stopping_{false};
};
