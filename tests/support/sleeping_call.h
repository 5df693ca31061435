#pragma once
// The system call a thread sleeps in, as Linux shows it under /proc: for tests that may act only
// once a thread of their own, or of a program they drive, is waiting, which a pause of some
// milliseconds would only hope for.
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

struct SleepingCall {
    long number; // SYS_poll, SYS_futex, ...
    unsigned long arguments[6];
};

// The call in which thread `thread` of process `process` sleeps; nothing while it runs, sleeps
// outside a call, or is gone.
inline std::optional<SleepingCall> sleepingCall(pid_t process, pid_t thread) {
    std::ifstream file("/proc/" + std::to_string(process) + "/task/" + std::to_string(thread) + "/syscall");
    SleepingCall call{};
    if (!(file >> call.number) || call.number < 0) return std::nullopt;
    for (unsigned long& argument : call.arguments) file >> std::hex >> argument;
    return call;
}

inline std::vector<pid_t> threadsOfThisProcess() {
    std::vector<pid_t> threads;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        threads.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
    return threads;
}
