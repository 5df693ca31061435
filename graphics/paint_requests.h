#pragma once
#include <atomic>
#include <cstdint>

#include "graphics/platform_window.h"

// Synchronous requests from drawing threads to the window thread: the requester posts a job and
// sleeps until the window thread has served a round that started after the post. Once the
// window is gone every request returns at once.
class PaintRequests {
public:
    enum Job : std::uint32_t { paint = 1, focus = 2 };

    PaintRequests() = default;
    PaintRequests(const PaintRequests&) = delete;
    PaintRequests& operator=(const PaintRequests&) = delete;

    // False when the wake-up channel could not be made.
    bool usable() const { return wakeUp_.usable(); }

    // Drawing side.
    void postAndWait(Job job);

    // Window side: the signal to wait on (which the window's platform may also raise to wake its
    // own wait), taking the pending jobs, and reporting them done.
    WakeUpChannel& wakeUp() { return wakeUp_; }
    struct Round {
        std::uint32_t sequence;
        std::uint32_t jobs;
    };
    Round takePending();
    void served(const Round& round);
    // Releases every present and future requester.
    void close();

private:
    WakeUpChannel wakeUp_;
    std::atomic<std::uint32_t> pendingJobs_{0};
    // Round numbers are 32 bits so that requesters sleep on the system's own address wait; they
    // wrap, and are compared by their difference, as far fewer than 2^31 rounds are ever pending.
    std::atomic<std::uint32_t> posted_{0};
    std::atomic<std::uint32_t> served_{0};
    std::atomic<bool> closed_{false};
};
