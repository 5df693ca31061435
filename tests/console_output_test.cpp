#include "console/console.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "console/posix/console_state.h"
#include "runtime/errors.h"
#include "tests/support/pty_process.h"

namespace {

std::string drain(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::string bytes;
    char buffer[256];
    for (ssize_t count; (count = read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(count));
    return bytes;
}

class ConsoleOutput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(pipe(pipe_), 0);
        consoleState() = ConsoleState{};
        consoleState().outputHandle = pipe_[1];
    }
    void TearDown() override {
        close(pipe_[0]);
        close(pipe_[1]);
    }
    std::string written() { return drain(pipe_[0]); }

    int pipe_[2] = {-1, -1};
};

TEST_F(ConsoleOutput, WritesBytesUnchangedWithLineEndsAsCarriageReturnLineFeed) {
    struct Case {
        std::function<void()> write;
        std::string expected;
    };
    const Case cases[] = {
        {[] { print(""); }, ""},
        {[] { printLine("GO!"); }, "GO!\r\n"},
        {[] { newLine(); }, "\r\n"},
        {[] { print(std::string("a\0\n\x1b\xff", 5)); }, std::string("a\0\n\x1b\xff", 5)},
    };
    for (const Case& c : cases) {
        RoutineActivation activation;
        c.write();
        EXPECT_EQ(written(), c.expected);
        EXPECT_FALSE(activation.errorWord.pending());
    }
}

TEST_F(ConsoleOutput, FailedAndShortWritesRecordRunTimeErrors) {
    signal(SIGPIPE, SIG_IGN);
    static std::vector<int> readersToClose;
    struct Case {
        const char* situation;
        std::function<int()> openHandle; // the handle written to; the test closes it
        std::size_t length;
        int expectedError;
    };
    const Case cases[] = {
        {"device full", [] { return open("/dev/full", O_WRONLY); }, 10, 61},
        {"closed handle", [] {
             const int fd = open("/dev/null", O_WRONLY);
             close(fd);
             return fd;
         }, 10, 51},
        {"pipe without a reader", [] {
             int ends[2];
             EXPECT_EQ(pipe(ends), 0);
             close(ends[0]);
             return ends[1];
         }, 10, 75},
        {"pipe with room for fewer bytes", [] {
             int ends[2];
             EXPECT_EQ(pipe(ends), 0);
             readersToClose.push_back(ends[0]);
             fcntl(ends[1], F_SETFL, O_NONBLOCK);
             const std::string filler(static_cast<std::size_t>(fcntl(ends[1], F_GETPIPE_SZ) - 4096), 'f');
             EXPECT_EQ(write(ends[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
             return ends[1];
         }, 8192, 61}, // longer than the room left, and than the pipe's atomic size
    };
    for (const Case& c : cases) {
        const int handle = c.openHandle();
        consoleState().outputHandle = handle;
        RoutineActivation activation;
        print(std::string(c.length, 'x'));
        EXPECT_TRUE(activation.errorWord.pending()) << c.situation;
        EXPECT_EQ(activation.errorWord.number(), c.expectedError) << c.situation;
        close(handle);
    }
    for (const int reader : readersToClose) close(reader);
}

TEST(ConsoleSpaces, GivesBlanksAndRecordsNegativeCounts) {
    RoutineActivation activation;
    EXPECT_EQ(spaces(79), std::string(79, ' '));
    EXPECT_EQ(spaces(0), "");
    EXPECT_FALSE(activation.errorWord.pending());
    EXPECT_EQ(spaces(-1), "");
    EXPECT_EQ(activation.errorWord.number(), 7);
}

// The cursor sequences reach the screen; a marker written after each call shows where they end.
std::string locateOnScreen(const PseudoTerminal& terminal, std::int32_t row, std::int32_t column) {
    locate(row, column);
    EXPECT_EQ(write(terminal.slave, "|", 1), 1);
    std::string screen;
    for (std::string next; !(next = terminal.readScreen(1)).empty() && next != "|";) screen += next;
    return screen;
}

void useScreen(const PseudoTerminal& terminal) {
    consoleState() = ConsoleState{};
    consoleState().screenHandle = terminal.slave;
    consoleState().screenIsTerminal = true;
}

TEST(ConsoleLocate, MovesOnlyTheCoordinatesInRangeOfTheTerminalSize) {
    const PseudoTerminal terminal(24, 80, true);
    useScreen(terminal);
    struct Case {
        std::int32_t row, column;
        const char* expected;
    };
    const Case cases[] = {
        {0, 1, "\x1b[1G"},  {1, 0, "\x1b[1d"},     {0, 0, ""},          {24, 80, "\x1b[24;80H"},
        {1, 1, "\x1b[1;1H"}, {25, 80, "\x1b[80G"}, {24, 81, "\x1b[24d"}, {25, 81, ""},
        {-5, 3, "\x1b[3G"}, {7, INT32_MIN, "\x1b[7d"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(locateOnScreen(terminal, c.row, c.column), c.expected) << c.row << ", " << c.column;
    }
}

TEST(ConsoleLocate, TerminalOfUnknownSizeTakesAnyPositiveCoordinate) {
    const PseudoTerminal terminal(0, 0, true);
    useScreen(terminal);
    EXPECT_EQ(locateOnScreen(terminal, 300, 500), "\x1b[300;500H");
}

} // namespace
