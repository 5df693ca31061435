#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/console_pty.h"
#include "tests/support/sanitizers.h"

namespace {

// Starts the probe with the terminal as its controlling terminal and standard error, and as
// its standard input and output unless other handles are given.
pid_t startProbe(const PseudoTerminal& terminal, const std::vector<std::string>& operations, int input = -1,
                 int output = -1) {
    std::vector<std::string> arguments{CONSOLE_PROBE};
    arguments.insert(arguments.end(), operations.begin(), operations.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        ioctl(terminal.slave, TIOCSCTTY, 0);
        dup2(input >= 0 ? input : terminal.slave, STDIN_FILENO);
        dup2(output >= 0 ? output : terminal.slave, STDOUT_FILENO);
        dup2(terminal.slave, STDERR_FILENO);
        const rlimit noCore{0, 0}; // SIGQUIT and SIGABRT would dump core
        setrlimit(RLIMIT_CORE, &noCore);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// The probe's wait status, or -1 when it did not end within a generous deadline (it is then killed).
int waitForEnd(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return status;
}

termios modesOf(int terminal) {
    termios modes = {};
    tcgetattr(terminal, &modes);
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
    for (const Case& c : cases) {
        if (c.signalSent != 0 && threadCheckerHoldsSignals) continue;
        const PseudoTerminal terminal(24, 80, false);
        const termios original = modesOf(terminal.slave);
        const pid_t pid = startProbe(terminal, c.operations);
        ASSERT_EQ(terminal.readScreen(7), "ready\r\n") << c.ending;

        const termios running = modesOf(terminal.slave);
        EXPECT_EQ(running.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u) << c.ending;
        EXPECT_EQ(running.c_iflag & (ICRNL | IXON), 0u) << c.ending;
        EXPECT_EQ(running.c_oflag & OPOST, 0u) << c.ending;

        if (c.signalSent != 0) {
            kill(pid, c.signalSent);
        } else {
            terminal.type("k");
        }
        const int status = waitForEnd(pid);
        if (c.endingSignal != 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.endingSignal) << c.ending << ": " << status;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.exitCode) << c.ending << ": " << status;
        }
        expectSameModes(modesOf(terminal.slave), original, c.ending);
    }
}

TEST(ConsoleProcess, KeysComeFromTheTerminalWhileInputIsAFile) {
    std::FILE* file = std::tmpfile();
    std::fputs("100\r\n", file);
    std::fflush(file);
    const int input = dup(fileno(file));
    std::fclose(file);
    lseek(input, 0, SEEK_SET);

    const PseudoTerminal terminal(24, 80, false);
    const pid_t pid = startProbe(terminal, {"readline", "readline", "waitkey", "waitkey"}, input);
    close(input);
    const std::string lines = "ready\r\nreadline=313030\r\nreadline=1a\r\n";
    ASSERT_EQ(terminal.readScreen(lines.size()), lines);
    terminal.type("\x1b[1;5Aq");
    const std::string keys = "waitkey=0048\r\nwaitkey=71\r\n";
    EXPECT_EQ(terminal.readScreen(keys.size()), keys);
    EXPECT_TRUE(WIFEXITED(waitForEnd(pid)));
}

TEST(ConsoleProcess, CursorMovesOnStandardErrorWhenOutputIsAFile) {
    std::FILE* file = std::tmpfile();
    const int output = dup(fileno(file));
    const PseudoTerminal terminal(24, 80, false);
    const pid_t pid = startProbe(terminal, {"print=Iteration: 1", "locate=0,1", "print=Iteration: 2", "locate=3,0"},
                                 -1, output);
    close(output);
    EXPECT_TRUE(WIFEXITED(waitForEnd(pid)));
    EXPECT_EQ(terminal.readScreen(8), "\x1b[1G\x1b[3d");

    std::rewind(file);
    char content[64] = {};
    const std::size_t length = std::fread(content, 1, sizeof content, file);
    EXPECT_EQ(std::string(content, length), "ready\r\nIteration: 1Iteration: 2");
    std::fclose(file);
}

} // namespace
