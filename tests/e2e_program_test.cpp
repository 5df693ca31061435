// The whole Linux program, driven as a person would: answers and keys typed at a pseudo-terminal,
// the terminal's screen read back as it shows them, and the window's pixels read back from a
// private X server. The wall clock is frozen at 12:00:00 so that the seed, and with it every
// world, is known.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "tests/support/program_scenarios.h"
#include "tests/support/temp_path.h"

namespace {

using namespace std::chrono_literals;

PtyOptions programOptions(std::string stdinPath, std::string stdoutPath) {
    PtyOptions options;
    options.argv = {TESSERA_EXECUTABLE};
    options.environment = frozenClockEnvironment();
    options.stdinPath = std::move(stdinPath);
    options.stdoutPath = std::move(stdoutPath);
    return options;
}

// The wait for a key sleeps in a poll with a time limit other than 0; the generation's own poll
// for a command looks at the keyboard with a time limit of 0.
bool waitsForKey(const SleepingCall& call) {
    return (call.number == SYS_poll && static_cast<int>(call.arguments[2]) != 0) || call.number == SYS_ppoll;
}

std::optional<PixelArea> wholeWindow(ScreenProbe&, XWindowId, int width, int height) {
    return PixelArea{0, 0, width, height};
}

const ProgramBuild linuxBuild{programOptions, 20s, 10s, waitsForKey, wholeWindow, false};

class ProgramTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(xvfb_.running()) << "Xvfb could not be started"; }

    XvfbServer xvfb_;
};

TEST_F(ProgramTest, TranscriptWithRedirectedInputAndOutputIsExact) { checkRedirectedTranscript(linuxBuild); }

TEST_F(ProgramTest, DialogueClampsAnswersAndAsksForTheRuleAgain) {
    DrivenProgram program(linuxBuild, programOptions("", ""));
    PtyProcess& process = program.process();
    ASSERT_TRUE(process.waitForText("World width (10 - 600) -->", linuxBuild.startTimeout));
    process.type("9.5\r5000\r3\r");
    ASSERT_TRUE(process.waitForText("examples:", linuxBuild.startTimeout));
    process.type("23\r");
    ASSERT_TRUE(process.waitFor(
        [](const std::string& shown) { return countOf(shown.substr(shown.find("examples:")), " -->") == 2; },
        linuxBuild.stepTimeout));
    process.type("0/2/3\r");
    ASSERT_TRUE(process.waitForText("Iteration: 1", linuxBuild.startTimeout));

    const auto geometry = program.probe().geometry(program.window());
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, 10);
    EXPECT_EQ(geometry->height, 600);

    // Echoed answers, no speed prompt for rule set 3, and the re-prompt on a line of its own.
    EXPECT_NE(process.output().find("-->9.5\r\nWorld height (10 - 600) -->5000\r\n"), std::string::npos);
    EXPECT_EQ(process.output().find("Speed"), std::string::npos);
    EXPECT_NE(process.output().find(" -->23\r\n -->0/2/3\r\n" + legend), std::string::npos);

    process.type("Q");
    EXPECT_TRUE(exitedWith(process.waitForExit(linuxBuild.stepTimeout), 0));
}

TEST_F(ProgramTest, ScreenShowsEachAnswerOnceAndCtrlCIsAKey) { checkTypedDialogueScreen(linuxBuild); }

TEST_F(ProgramTest, QuitRestoresTheTerminalModes) {
    PtyProcess program(programOptions("", ""));
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", linuxBuild.startTimeout));
    EXPECT_EQ(program.terminalModes().c_lflag & (ECHO | ICANON), 0u) << "raw mode while running";
    program.type("20\r20\r1\r1/23/3\r");
    ASSERT_TRUE(program.waitForText("Iteration: 2", linuxBuild.startTimeout));
    program.type("q");
    ASSERT_TRUE(exitedWith(program.waitForExit(linuxBuild.stepTimeout), 0));
    EXPECT_TRUE(modesRestored(program));
}

struct SteppedCase {
    RenderMode mode;
    bool sharedMemory;
};

std::string steppedCaseName(const SteppedCase& stepped) {
    return std::string(stepped.mode == RenderMode::shadesOfGrey ? "Grey" : "BlackWhite") +
           (stepped.sharedMemory ? "" : "WithoutSharedMemory");
}

void PrintTo(const SteppedCase& stepped, std::ostream* out) { *out << steppedCaseName(stepped); }

class SteppedFrames : public ProgramTest, public testing::WithParamInterface<SteppedCase> {};

TEST_P(SteppedFrames, WindowShowsEachGenerationOfTheEngine) {
    PtyOptions options = programOptions("", "");
    if (!GetParam().sharedMemory) {
        // In an IPC namespace of its own the program's memory segment is invisible to the server,
        // which refuses to attach it: the window must send its pixels through the connection.
        if (std::system("unshare --ipc true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no IPC namespaces here";
        options.argv.insert(options.argv.begin(), {"unshare", "--ipc"});
    }
    checkSteppedFrames(linuxBuild, options, GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(RuleModes, SteppedFrames,
                         testing::Values(SteppedCase{RenderMode::blackWhite, true}, SteppedCase{RenderMode::shadesOfGrey, true},
                                         SteppedCase{RenderMode::blackWhite, false}),
                         [](const testing::TestParamInfo<SteppedCase>& info) { return steppedCaseName(info.param); });

TEST_F(ProgramTest, KeysInSingleStepsShowInTheWindowAndOnTheScreen) { checkKeysInSingleSteps(linuxBuild); }

TEST_F(ProgramTest, ClosingTheWindowEndsTheProgram) { checkClosingTheWindowEndsTheProgram(linuxBuild); }

TEST_F(ProgramTest, ClosingTheWindowInSingleStepModeEndsAfterTheAwaitedKey) {
    DrivenProgram program(linuxBuild, programOptions("", ""));
    startStepping(program, "20\r20\r1\r", "1/23/3");
    program.probe().sendDeleteWindow(program.window());
    EXPECT_FALSE(program.process().waitForExit(500ms)) << "the wait for a key comes before the end test";
    ASSERT_TRUE(program.stepWith(" "));
    EXPECT_TRUE(exitedWith(program.process().waitForExit(linuxBuild.stepTimeout), 0));
}

TEST_F(ProgramTest, InputEndingBeforeARuleEndsTheProgram) { checkInputEndingBeforeARuleEndsTheProgram(linuxBuild); }

// Answered before the console is prepared: nothing reaches the terminal, and no dialogue starts.
class CommandLine : public testing::TestWithParam<CommandLineAnswer> {};

TEST_P(CommandLine, IsAnsweredAndTheTerminalLeftAlone) {
    EXPECT_EQ(expectAnswered(GetParam(), programOptions("", ""), "\n"), "");
}

// "/?" asks for help on Windows only.
INSTANTIATE_TEST_SUITE_P(Answers, CommandLine, testing::ValuesIn([] {
                             auto answers = commandLineAnswers("  --help       show this help and exit\n");
                             answers.push_back({{"/?"}, 2, "", "tessera: unknown option '/?' (try 'tessera --help')\n"});
                             return answers;
                         }()));

// A full disk fails the answer instead of passing it.
TEST(CommandLineOnAFullDisk, FailsTheAnswer) {
    PtyOptions options = programOptions("", "/dev/full");
    options.argv.push_back("--version");
    PtyProcess program(options);
    EXPECT_TRUE(exitedWith(program.waitForExit(linuxBuild.startTimeout), 1));
}

} // namespace
