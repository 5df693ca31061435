#pragma once

// The exit code when the main thread's run-time record cannot be set up.
inline constexpr int threadRecordFailureExitCode = 255;

// Prepares the process (console, thread record, random state, floating-point environment), runs
// the main routine, shuts down and ends the process with the routine's result. Never returns.
[[noreturn]] void startUp(int (*mainRoutine)());
