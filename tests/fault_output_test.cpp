// Standard output that cannot take what the program writes: a full device, a pipe whose reader
// has gone, a pipe read slowly. Failed writes are recorded and passed over without a word; the
// program keeps running and still quits with q. A reader that lets the pipe fill receives every
// byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/fault_program.h"
#include "tests/support/eventually.h"
#include "tests/support/program_run.h"
#include "tests/support/sleeping_call.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace fault;

// dialogueAnswers as typed: a 20 x 30 world of grey rules.
const std::string typedAnswers = "20\r30\r2\r\r1/23/3\r";
// The answers' echo, on standard error since standard output is no terminal.
const std::string echo = "20\r\n30\r\n2\r\n\r\n1/23/3\r\n";

class OutputFault : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb_.running());
        ASSERT_TRUE(probe_.connected());
    }

    void answer(PtyProcess& program) {
        ASSERT_TRUE(waitForRawMode(program, startTimeout));
        program.type(typedAnswers);
        ASSERT_TRUE(program.waitForText(echo, startTimeout)) << program.output();
    }

    // The window goes on changing, as a running world does: a digit's fill makes sure it must.
    void expectWindowChanging(PtyProcess& program) {
        const XWindowId window = probe_.waitForTopLevel("Tessera", startTimeout);
        for (int round = 0; round < 3; ++round) {
            const auto before = probe_.readPixels(window, 0, 0, 20, 30);
            program.type("5");
            ASSERT_TRUE(eventually([&] { return probe_.readPixels(window, 0, 0, 20, 30) != before; }, startTimeout))
                << "the window stands still";
        }
    }

    // q ends it; the terminal has shown the echo and nothing but the counter's moves to column 1.
    void quitSilently(PtyProcess& program) {
        program.type("q");
        const auto status = program.waitForExit(endTimeout);
        EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
        EXPECT_TRUE(modesRestored(program));
        std::string expected = echo;
        while (expected.size() < program.output().size()) expected += "\x1b[1G";
        EXPECT_EQ(program.output(), expected);
    }

    // Unique to the test and the process: tests running side by side must not share a FIFO.
    int openFifoReader(std::string& path) {
        path = uniqueTempPath("output-fifo");
        unlink(path.c_str());
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        // Opened first, and without waiting, so that the program's open does not wait either.
        return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }

    XvfbServer xvfb_;
    ScreenProbe probe_;
};

TEST_F(OutputFault, FullDevice) {
    PtyProcess program(programOptions("", "/dev/full"));
    ASSERT_NO_FATAL_FAILURE(answer(program));
    ASSERT_NO_FATAL_FAILURE(expectWindowChanging(program));
    quitSilently(program);
}

TEST_F(OutputFault, PipeWhoseReaderHasGone) {
    std::string fifo;
    const int reader = openFifoReader(fifo);
    ASSERT_GE(reader, 0);
    PtyProcess program(programOptions("", fifo));
    // The reader leaves once the greeting has arrived; every later write meets a broken pipe.
    const std::string greeting = "Tessera // ";
    std::string received(greeting.size(), '\0');
    ASSERT_TRUE(eventually([&] { return read(reader, received.data(), received.size()) > 0; }, startTimeout));
    EXPECT_EQ(received, greeting);
    close(reader);
    ASSERT_NO_FATAL_FAILURE(answer(program));
    ASSERT_NO_FATAL_FAILURE(expectWindowChanging(program));
    quitSilently(program);
}

TEST_F(OutputFault, PipeReadSlowlyReceivesEverything) {
    std::string fifo;
    const int reader = openFifoReader(fifo);
    ASSERT_GE(reader, 0);
    ASSERT_GT(fcntl(reader, F_SETPIPE_SZ, 4096), 0); // a page: a few hundred generations fill it
    PtyProcess program(programOptions("", fifo));
    ASSERT_NO_FATAL_FAILURE(answer(program));
    // Nothing is read until a write waits for room in the full pipe.
    const auto writeWaits = [&] {
        const auto call = sleepingCall(program.pid(), program.pid());
        return call && call->number == SYS_write && call->arguments[0] == STDOUT_FILENO;
    };
    EXPECT_TRUE(eventually(writeWaits, startTimeout)) << "no write waited for the reader";
    program.type("q");
    // Then a little at a time, the terminal's side read between, to the end of the data, which
    // comes when the program has ended.
    std::string received;
    EXPECT_TRUE(program.waitFor(
        [&](const std::string&) {
            char buffer[256];
            const ssize_t count = read(reader, buffer, sizeof buffer);
            if (count > 0) received.append(buffer, static_cast<std::size_t>(count));
            return count == 0;
        },
        endTimeout));
    close(reader);
    const auto status = program.waitForExit(endTimeout);
    EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
    // Each generation moved the terminal's cursor before its counter went to the pipe.
    EXPECT_EQ(expectTranscriptOfAnsweredRun(received), countOf(program.output(), "\x1b[1G"));
}

} // namespace
