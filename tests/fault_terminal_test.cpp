// The terminal around the program changes: the job is stopped and continued, the terminal goes
// away while hang-ups are ignored, and the shell's prompt or a message follows the program's text.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

#include "tests/fault_program.h"
#include "tests/support/eventually.h"
#include "tests/support/sanitizers.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace fault;

const std::string runningAnswers = "60\r40\r1\r1/23/3\r";

bool isStopped(pid_t process) {
    const std::string line = readFile("/proc/" + std::to_string(process) + "/stat");
    const std::size_t nameEnd = line.rfind(')');
    return nameEnd != std::string::npos && line.compare(nameEnd, 4, ") T ") == 0;
}

// The test plays the shell: it sends the stop signals and, as many shells do, puts its own
// modes back on the terminal while the job is stopped.
TEST(JobControl, StoppedProgramHandsTheTerminalBackAndTakesItAgainWhenContinued) {
    if (threadCheckerHoldsSignals) GTEST_SKIP() << "stop signals are deferred by the thread checker";
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.running());
    PtyOptions options = programOptions();
    options.asJob = true;
    PtyProcess program(options);
    ASSERT_TRUE(startRunning(program, runningAnswers)) << program.output();
    const pid_t job = tcgetpgrp(program.masterFd());
    ASSERT_GT(job, 0);

    ASSERT_EQ(kill(-job, SIGTSTP), 0);
    ASSERT_TRUE(eventually([&] { return isStopped(job); }));
    EXPECT_TRUE(modesRestored(program)) << "the terminal is left as found while the program is stopped";
    ASSERT_EQ(kill(-job, SIGCONT), 0);
    EXPECT_TRUE(waitForRawMode(program, startTimeout)) << "after SIGTSTP";

    // SIGSTOP cannot be caught; only the continuation can mend the modes.
    ASSERT_EQ(kill(-job, SIGSTOP), 0);
    ASSERT_TRUE(eventually([&] { return isStopped(job); }));
    const termios shellModes = freshTerminalModes();
    ASSERT_EQ(tcsetattr(program.masterFd(), TCSANOW, &shellModes), 0);
    ASSERT_EQ(kill(-job, SIGCONT), 0);
    EXPECT_TRUE(waitForRawMode(program, startTimeout)) << "after SIGSTOP";

    program.type("q"); // acts without Enter only in raw mode
    const auto status = program.waitForExit(endTimeout);
    EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
    EXPECT_TRUE(modesRestored(program));
}

// Started as a background job, the program stops at its first change of the terminal's modes,
// which stay as they were, and has shown nothing; brought to the foreground, it goes on as usual.
TEST(JobControl, StartedInTheBackgroundWaitsForTheForegroundWithoutTouchingTheTerminal) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.running());
    PtyOptions options = programOptions();
    options.asJob = options.inBackground = true;
    PtyProcess program(options);
    const std::string children = "/proc/" + std::to_string(program.pid()) + "/task/" + std::to_string(program.pid()) + "/children";
    ASSERT_TRUE(eventually([&] {
        const pid_t job = std::atoi(readFile(children).c_str());
        return job > 0 && isStopped(job);
    }));
    EXPECT_TRUE(modesRestored(program)) << "the modes changed from the background";

    ASSERT_EQ(kill(program.pid(), SIGUSR1), 0); // the shell's fg
    ASSERT_TRUE(startRunning(program, runningAnswers)) << program.output();
    EXPECT_TRUE(program.output().starts_with("Tessera // ")) << program.output();
    program.type("q");
    const auto status = program.waitForExit(endTimeout);
    EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
    EXPECT_TRUE(modesRestored(program));
}

// With SIGHUP ignored, as under nohup, only the key source can tell that the terminal is gone.
TEST(HangUp, LostTerminalEndsTheProgramWithAMessage) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.running());
    for (const bool whileRunning : {false, true}) {
        const std::string context = whileRunning ? "while running" : "in the dialogue";
        PtyOptions options = programOptions();
        options.ignoreHangUp = true;
        options.stderrPath = uniqueTempPath(whileRunning ? "running-stderr" : "dialogue-stderr");
        PtyProcess program(options);
        if (whileRunning) {
            ASSERT_TRUE(startRunning(program, runningAnswers)) << program.output();
        } else {
            ASSERT_TRUE(program.waitForText(widthPrompt, startTimeout)) << program.output();
        }
        program.hangUp();
        const auto status = program.waitForExit(endTimeout);
        EXPECT_TRUE(exitedWith(status, 1)) << describe(status) << " " << context;
        EXPECT_EQ(readFile(options.stderrPath), "tessera: the terminal has gone away\r\n") << context;
        unlink(options.stderrPath.c_str());
    }
}

TEST(LineEnds, ShellPromptAfterQuitStartsOnANewLine) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.running());
    PtyProcess program(programOptions());
    ASSERT_TRUE(startRunning(program, runningAnswers)) << program.output();
    program.type("q");
    const auto status = program.waitForExit(endTimeout);
    ASSERT_TRUE(exitedWith(status, 0)) << describe(status);
    const std::string& shown = program.output();
    const std::string lastLine = shown.substr(shown.rfind("Iteration: "));
    EXPECT_TRUE(lastLine.ends_with("\r\n")) << lastLine;
    EXPECT_FALSE(lastLine.ends_with("\r\n\r\n")) << lastLine;
}

// A missing display is reported once the dialogue is over: after the counter on the terminal,
// or, when standard output goes elsewhere, behind nothing but the counter's move to column 1.
TEST(LineEnds, MessageAfterTheCounterStartsALineOfItsOwn) {
    const std::string message = "tessera: the graphic window could not be opened on display \":4095\"\r\n";
    for (const std::string stdoutPath : {"", "/dev/null"}) {
        PtyOptions options = programOptions(writeTempFile("answers", "20\n20\n1\n1/23/3\n"), stdoutPath);
        options.environment.push_back("DISPLAY=:4095");
        PtyProcess program(options);
        const auto status = program.waitForExit(startTimeout);
        EXPECT_TRUE(exitedWith(status, 1)) << describe(status);
        const std::string& shown = program.output();
        EXPECT_TRUE(stdoutPath.empty() ? shown.ends_with("Iteration: 1\r\n" + message) : shown == "\x1b[1G" + message) << shown;
    }
}

} // namespace
