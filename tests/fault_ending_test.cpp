// The program is ended from outside: its X server goes away, or a terminating signal arrives. It
// must end without a crash and without a word, and leave the terminal as it found it.
#include <gtest/gtest.h>
#include <signal.h>

#include "tests/fault_program.h"
#include "tests/support/sanitizers.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace fault;

const std::string runningAnswers = "60\r40\r2\r\r1/23/3\r";

TEST(XServerFault, ServerGoingAwayEndsTheProgramQuietly) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.running());
    PtyProcess program(programOptions());
    ASSERT_TRUE(startRunning(program, runningAnswers)) << program.output();
    const std::size_t before = program.output().size();

    xvfb.stop();
    const auto status = program.waitForExit(endTimeout);
    EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
    EXPECT_TRUE(modesRestored(program));
    // Only the generation counter may follow: no message about the lost connection.
    const std::string after = program.output().substr(before);
    EXPECT_EQ(after.find("rror"), std::string::npos) << after;
    EXPECT_EQ(after.find("tessera:"), std::string::npos) << after;
}

struct SignalCase {
    int signalNumber;
    bool whileRunning; // else while the dialogue waits for an answer
};

void PrintTo(const SignalCase& signalCase, std::ostream* out) {
    *out << sigabbrev_np(signalCase.signalNumber) << (signalCase.whileRunning ? " while running" : " in the dialogue");
}

std::string signalCaseName(const testing::TestParamInfo<SignalCase>& info) {
    return std::string(sigabbrev_np(info.param.signalNumber)) + (info.param.whileRunning ? "WhileRunning" : "InDialogue");
}

class SignalFault : public testing::TestWithParam<SignalCase> {
protected:
    XvfbServer xvfb_;
};

TEST_P(SignalFault, RestoresTheTerminalAndEndsByTheSignal) {
    ASSERT_TRUE(xvfb_.running());
    if (!GetParam().whileRunning && threadCheckerHoldsSignals) GTEST_SKIP() << "the dialogue waits in poll";
    PtyProcess program(programOptions());
    if (GetParam().whileRunning) {
        ASSERT_TRUE(startRunning(program, runningAnswers)) << program.output();
    } else {
        ASSERT_TRUE(program.waitForText(widthPrompt, startTimeout));
    }
    ASSERT_EQ(program.terminalModes().c_lflag & (ECHO | ICANON), 0u) << "raw mode before the signal";

    ASSERT_EQ(kill(program.pid(), GetParam().signalNumber), 0);
    const auto status = program.waitForExit(endTimeout);
    EXPECT_TRUE(killedBy(status, GetParam().signalNumber)) << describe(status);
    EXPECT_TRUE(modesRestored(program));
}

INSTANTIATE_TEST_SUITE_P(FromOutside, SignalFault,
                         testing::Values(SignalCase{SIGTERM, true}, SignalCase{SIGHUP, true}, SignalCase{SIGINT, true},
                                         SignalCase{SIGTERM, false}, SignalCase{SIGHUP, false},
                                         SignalCase{SIGINT, false}),
                         signalCaseName);

} // namespace
