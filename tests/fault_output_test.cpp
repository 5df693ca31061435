// Standard output that cannot take what the program writes: a full device, a pipe whose reader
// has gone, a pipe read slowly. Failed writes are recorded and passed over; the program keeps
// running and still quits with q.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "tests/fault_program.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace fault;

class OutputFault : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(xvfb_.running()); }

    // The answers, typed at the terminal, are echoed on standard error since standard output is
    // no terminal; the counter goes to standard output and is not seen.
    void runAndQuit(PtyProcess& program) {
        ASSERT_TRUE(waitForRawMode(program, startTimeout));
        program.type("23\r17\r1\r1/23/3\r");
        ASSERT_TRUE(program.waitForText("1/23/3\r\n", startTimeout)) << program.output();
        EXPECT_FALSE(program.waitForExit(500ms)) << "the program keeps running";
        program.type("q");
        const auto status = program.waitForExit(endTimeout);
        EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
        EXPECT_TRUE(modesRestored(program));
    }

    // Unique to the test and the process: tests running side by side must not share a FIFO.
    std::string fifoPath() {
        const std::string path = uniqueTempPath("output-fifo");
        unlink(path.c_str());
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        return path;
    }

    XvfbServer xvfb_;
};

TEST_F(OutputFault, FullDevice) {
    PtyProcess program(programOptions("", "/dev/full"));
    runAndQuit(program);
}

TEST_F(OutputFault, PipeWhoseReaderHasGone) {
    const std::string fifo = fifoPath();
    // The reader opens first so that the program's open does not wait; it leaves once the
    // greeting has arrived, and every later write meets a broken pipe.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    PtyProcess program(programOptions("", fifo));
    char greeting[16];
    for (int tries = 0; tries < 3000 && read(reader, greeting, sizeof greeting) <= 0; ++tries)
        std::this_thread::sleep_for(10ms);
    close(reader);
    runAndQuit(program);
}

TEST_F(OutputFault, PipeReadSlowly) {
    const std::string fifo = fifoPath();
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    std::atomic<bool> done{false};
    std::atomic<long> received{0};
    // 256 bytes every 5 ms: the pipe is full most of the time, so most writes wait.
    std::thread slowReader([&] {
        char buffer[256];
        while (!done) {
            const ssize_t count = read(reader, buffer, sizeof buffer);
            if (count > 0) received += count;
            std::this_thread::sleep_for(5ms);
        }
    });
    PtyProcess program(programOptions("", fifo));
    runAndQuit(program);
    done = true;
    slowReader.join();
    close(reader);
    EXPECT_GT(received.load(), 0);
}

} // namespace
