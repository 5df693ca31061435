#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/pty_process.h"
#include "tests/support/sanitizers.h"
#include "tests/support/temp_path.h"

namespace {

constexpr auto patience = std::chrono::seconds(30);

// The probe on a terminal of its own, which is also its standard input and output unless files
// are named for them.
PtyOptions probe(const std::vector<std::string>& operations, const std::string& stdinPath = "",
                 const std::string& stdoutPath = "") {
    PtyOptions options;
    options.argv = {CONSOLE_PROBE};
    options.argv.insert(options.argv.end(), operations.begin(), operations.end());
    options.stdinPath = stdinPath;
    options.stdoutPath = stdoutPath;
    return options;
}

// Waits until the terminal has shown at least `count` bytes.
bool showsBytes(PtyProcess& process, std::size_t count) {
    return process.waitFor([count](const std::string& shown) { return shown.size() >= count; }, patience);
}

TEST(ConsoleProcess, RawModeHoldsWhileRunningAndIsRestoredOnEveryEnding) {
    struct Case {
        const char* ending;
        std::vector<std::string> operations;
        int signalSent;   // 0: a key is typed instead
        int endingSignal; // the signal the process ends by, 0 when it exits
        int exitCode;     // when it exits
    };
    const Case cases[] = {
        {"return", {"waitkey"}, 0, 0, 0},
        {"exit(0)", {"waitkey", "exit=0"}, 0, 0, 0},
        {"exit(255)", {"waitkey", "exit=255"}, 0, 0, 255},
        {"abort()", {"waitkey", "abort"}, 0, SIGABRT, 0},
        {"SIGTERM", {"waitkey"}, SIGTERM, SIGTERM, 0},
        {"SIGHUP", {"waitkey"}, SIGHUP, SIGHUP, 0},
        {"SIGINT", {"waitkey"}, SIGINT, SIGINT, 0},
        {"SIGQUIT", {"waitkey"}, SIGQUIT, SIGQUIT, 0},
    };
    for (const Case& c : cases) {
        if (c.signalSent != 0 && threadCheckerHoldsSignals) continue;
        PtyProcess process(probe(c.operations));
        ASSERT_TRUE(process.waitForText("ready\r\n", patience)) << c.ending;
        EXPECT_EQ(process.output(), "ready\r\n") << c.ending;

        const termios running = process.terminalModes();
        EXPECT_EQ(running.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u) << c.ending;
        EXPECT_EQ(running.c_iflag & (ICRNL | IXON), 0u) << c.ending;
        EXPECT_EQ(running.c_oflag & OPOST, 0u) << c.ending;

        if (c.signalSent != 0) {
            kill(process.pid(), c.signalSent);
        } else {
            process.type("k");
        }
        const std::optional<int> status = process.waitForExit(patience);
        EXPECT_TRUE(c.endingSignal != 0 ? killedBy(status, c.endingSignal) : exitedWith(status, c.exitCode))
            << c.ending << ": " << describe(status);
        EXPECT_TRUE(modesRestored(process)) << c.ending;
    }
}

TEST(ConsoleProcess, KeysComeFromTheTerminalWhileInputIsAFile) {
    PtyProcess process(probe({"readline", "readline", "waitkey", "waitkey"}, writeTempFile("input", "100\r\n")));
    const std::string lines = "ready\r\nreadline=313030\r\nreadline=1a\r\n";
    ASSERT_TRUE(showsBytes(process, lines.size()));
    ASSERT_EQ(process.output(), lines);
    process.type("\x1b[1;5Aq");
    const std::string keys = "waitkey=0048\r\nwaitkey=71\r\n";
    ASSERT_TRUE(exitedWith(process.waitForExit(patience), 0));
    ASSERT_TRUE(showsBytes(process, lines.size() + keys.size()));
    EXPECT_EQ(process.output(), lines + keys);
}

TEST(ConsoleProcess, CursorMovesOnStandardErrorWhenOutputIsAFile) {
    const std::string output = uniqueTempPath("output");
    PtyProcess process(probe({"print=Iteration: 1", "locate=0,1", "print=Iteration: 2", "locate=3,0"}, "", output));
    ASSERT_TRUE(exitedWith(process.waitForExit(patience), 0));
    ASSERT_TRUE(showsBytes(process, 8));
    EXPECT_EQ(process.output(), "\x1b[1G\x1b[3d");
    EXPECT_EQ(readFile(output), "ready\r\nIteration: 1Iteration: 2");
}

} // namespace
