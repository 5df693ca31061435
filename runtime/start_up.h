#pragma once

// The exit code when the main thread's run-time record cannot be set up.
inline constexpr int threadRecordFailureExitCode = 255;

// What the services above the run-time need around the main routine: `prepare` runs first of
// all, `release` before the process ends, also when start-up itself fails.
struct ServiceHooks {
    void (*prepare)();
    void (*release)();
};

// Prepares the process (the services, thread record, floating-point environment), runs the main
// routine, shuts down and ends the process with the routine's result. Never returns.
[[noreturn]] void startUp(int (*mainRoutine)(), ServiceHooks services);
