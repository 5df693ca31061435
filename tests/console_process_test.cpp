#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/pty_process.h"
#include "tests/support/sanitizers.h"

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

// A file of the test's own, removed with it.
struct ScratchFile {
    std::string path;

    explicit ScratchFile(const std::string& content) {
        char name[] = "/tmp/console_process_test_XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        if (fd < 0 || write(fd, content.data(), content.size()) != ssize_t(content.size())) ADD_FAILURE();
        close(fd);
    }
    ~ScratchFile() { unlink(path.c_str()); }

    std::string read() const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

// Waits until the terminal has shown at least `count` bytes.
bool showsBytes(PtyProcess& process, std::size_t count) {
    return process.waitFor([count](const std::string& shown) { return shown.size() >= count; }, patience);
}

// The modes a new terminal starts in.
termios freshTerminalModes() {
    const PseudoTerminal terminal(24, 80, false);
    termios modes = {};
    tcgetattr(terminal.slave, &modes);
    return modes;
}

void expectSameModes(const termios& actual, const termios& expected, const std::string& context) {
    EXPECT_EQ(actual.c_iflag, expected.c_iflag) << context;
    EXPECT_EQ(actual.c_oflag, expected.c_oflag) << context;
    EXPECT_EQ(actual.c_lflag, expected.c_lflag) << context;
    EXPECT_EQ(actual.c_cflag, expected.c_cflag) << context;
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
    const termios original = freshTerminalModes();
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
        ASSERT_TRUE(status) << c.ending;
        if (c.endingSignal != 0) {
            EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == c.endingSignal) << c.ending << ": " << *status;
        } else {
            EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == c.exitCode) << c.ending << ": " << *status;
        }
        expectSameModes(process.terminalModes(), original, c.ending);
    }
}

TEST(ConsoleProcess, KeysComeFromTheTerminalWhileInputIsAFile) {
    const ScratchFile input("100\r\n");
    PtyProcess process(probe({"readline", "readline", "waitkey", "waitkey"}, input.path));
    const std::string lines = "ready\r\nreadline=313030\r\nreadline=1a\r\n";
    ASSERT_TRUE(showsBytes(process, lines.size()));
    ASSERT_EQ(process.output(), lines);
    process.type("\x1b[1;5Aq");
    const std::string keys = "waitkey=0048\r\nwaitkey=71\r\n";
    const std::optional<int> status = process.waitForExit(patience);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status));
    ASSERT_TRUE(showsBytes(process, lines.size() + keys.size()));
    EXPECT_EQ(process.output(), lines + keys);
}

TEST(ConsoleProcess, CursorMovesOnStandardErrorWhenOutputIsAFile) {
    const ScratchFile output("");
    PtyProcess process(
        probe({"print=Iteration: 1", "locate=0,1", "print=Iteration: 2", "locate=3,0"}, "", output.path));
    const std::optional<int> status = process.waitForExit(patience);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status));
    ASSERT_TRUE(showsBytes(process, 8));
    EXPECT_EQ(process.output(), "\x1b[1G\x1b[3d");
    EXPECT_EQ(output.read(), "ready\r\nIteration: 1Iteration: 2");
}

} // namespace
