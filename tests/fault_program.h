#pragma once
// What the fault tests share: the real program on a pseudo-terminal of its own, under a private X
// server.
#include <chrono>
#include <string>

#include "tests/support/pty_process.h"
#include "tests/support/temp_path.h"

namespace fault {

using namespace std::chrono_literals;

// Generous: under the sanitizers the program starts and runs several times slower.
constexpr auto startTimeout = 30s;
constexpr auto endTimeout = 20s;

inline const std::string widthPrompt = "World width (10 - 600) -->";
inline const std::string rulePrompt = " -->";
inline const std::string inputEndedMessage = "tessera: input ended before a rule";

inline PtyOptions programOptions(std::string stdinPath = "", std::string stdoutPath = "") {
    PtyOptions options;
    options.argv = {TESSERA_EXECUTABLE};
    options.stdinPath = std::move(stdinPath);
    options.stdoutPath = std::move(stdoutPath);
    return options;
}

// Answers the dialogue at the terminal and waits for the automaton to run.
inline bool startRunning(PtyProcess& program, const std::string& answers) {
    if (!program.waitForText(widthPrompt, startTimeout)) return false;
    program.type(answers);
    return program.waitForText("Iteration: 3", startTimeout);
}

} // namespace fault
