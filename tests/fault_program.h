#pragma once
// What the fault tests share: the real program on a pseudo-terminal of its own, under a private X
// server, and the checks on how it ended.
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

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

// The modes a pseudo-terminal starts with, which the program must leave behind.
inline termios freshTerminalModes() {
    termios fresh{};
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
        tcgetattr(master, &fresh);
        close(master);
        close(slave);
    }
    return fresh;
}

inline bool modesRestored(const PtyProcess& program) {
    const termios fresh = freshTerminalModes();
    const termios after = program.terminalModes();
    return after.c_lflag == fresh.c_lflag && after.c_iflag == fresh.c_iflag && after.c_oflag == fresh.c_oflag;
}

inline bool exitedWith(std::optional<int> status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

inline bool killedBy(std::optional<int> status, int signalNumber) {
    return status && WIFSIGNALED(*status) && WTERMSIG(*status) == signalNumber;
}

inline std::string describe(std::optional<int> status) {
    if (!status) return "still running";
    if (WIFEXITED(*status)) return "exit code " + std::to_string(WEXITSTATUS(*status));
    if (WIFSIGNALED(*status)) return "signal " + std::to_string(WTERMSIG(*status));
    return "status " + std::to_string(*status);
}

inline std::string writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

// Once the terminal is in raw mode the program reads what is typed byte by byte; typed before
// that, the terminal's own line editing would see it first.
inline bool waitForRawMode(const PtyProcess& program) {
    const auto deadline = std::chrono::steady_clock::now() + startTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if ((program.terminalModes().c_lflag & (ECHO | ICANON)) == 0) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

// Answers the dialogue at the terminal and waits for the automaton to run.
inline bool startRunning(PtyProcess& program, const std::string& answers) {
    if (!program.waitForText(widthPrompt, startTimeout)) return false;
    program.type(answers);
    return program.waitForText("Iteration: 3", startTimeout);
}

} // namespace fault
