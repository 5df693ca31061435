#pragma once
#include <optional>

// Exit code of a command line with an argument the program does not know.
inline constexpr int usageExitCode = 2;

// Answers a command line with arguments before anything else is prepared: --help (and the
// platform's own spelling of it) and --version on standard output, anything else as one line
// on standard error. The exit code of that answer; nothing when there are no arguments and the
// program is to run.
std::optional<int> answerCommandLine(int argc, const char* const* argv);
