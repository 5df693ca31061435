// The whole Windows program under Wine, driven as the Linux program is: answers and keys typed at
// a pseudo-terminal that Wine's console reads, the screen as the terminal shows Wine's console,
// and the window's pixels read back from the X server Wine draws on. The clock is frozen as for
// the Linux program, so the expected worlds are the same. scripts/test-windows.sh provides the X
// server (DISPLAY), the prefix (WINEPREFIX) with its running server, and the program
// (TESSERA_WINDOWS_PROGRAM).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/program_scenarios.h"
#include "tests/support/temp_path.h"
#include "tests/support/wine_console.h"

namespace {

using namespace std::chrono_literals;

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The clock frozen, for the expected worlds; without NO_FAKE_STAT Wine would see its prefix as out
// of date and rebuild it.
PtyOptions programOptions(std::string stdinPath, std::string stdoutPath) {
    PtyOptions options = wineProgramOptions(environmentValue("TESSERA_WINDOWS_PROGRAM"));
    const std::vector<std::string> frozenClock = frozenClockEnvironment();
    options.environment.insert(options.environment.end(), frozenClock.begin(), frozenClock.end());
    options.environment.push_back("NO_FAKE_STAT=1");
    options.stdinPath = std::move(stdinPath);
    options.stdoutPath = std::move(stdoutPath);
    return options;
}

// The wait for a key pauses a millisecond before each look at the console, and Wine sleeps such a
// pause in a select for no descriptors; the generation's own poll only asks Wine's server.
bool waitsForKey(const SleepingCall& call) {
    return (call.number == SYS_pselect6 || call.number == SYS_select) && call.arguments[0] == 0;
}

// Wine draws its own frame around the client area inside the window it creates: borders of equal
// width left, right and below, the caption above.
std::optional<PixelArea> clientArea(ScreenProbe& probe, XWindowId window, int width, int height) {
    const auto outer = probe.geometry(window);
    if (!outer || outer->width < width || outer->height < height) return std::nullopt;
    const int border = (outer->width - width) / 2;
    return PixelArea{border, outer->height - height - border, width, height};
}

// Wine starts a process in a fraction of a second with its server running, but a loaded machine
// can take many times that.
const ProgramBuild windowsBuild{programOptions, 60s, 20s, waitsForKey, clientArea, true};

class WineProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(environmentValue("TESSERA_WINDOWS_PROGRAM").empty());
        ASSERT_FALSE(environmentValue("WINEPREFIX").empty());
        ASSERT_TRUE(ScreenProbe().connected()) << "no X server on DISPLAY";
    }
};

TEST_F(WineProgramTest, TranscriptWithRedirectedInputAndOutputIsExact) { checkRedirectedTranscript(windowsBuild); }

class WineSteppedFrames : public WineProgramTest, public testing::WithParamInterface<RenderMode> {};

TEST_P(WineSteppedFrames, WindowShowsEachGenerationOfTheEngine) {
    checkSteppedFrames(windowsBuild, programOptions("", ""), GetParam());
}

INSTANTIATE_TEST_SUITE_P(BothRuleModes, WineSteppedFrames, testing::Values(RenderMode::blackWhite, RenderMode::shadesOfGrey));

TEST_F(WineProgramTest, KeysInSingleStepsShowInTheWindowAndOnTheScreen) { checkKeysInSingleSteps(windowsBuild); }

TEST_F(WineProgramTest, SmallWindowIsNotWidenedToTheSystemsMinimum) {
    DrivenProgram program(windowsBuild, programOptions("", ""));
    ASSERT_TRUE(program.process().waitForText("World width (10 - 600) -->", windowsBuild.startTimeout));
    program.process().type("10\r10\r1\r1/23/3\r");
    const auto outer = program.probe().geometry(program.window());
    ASSERT_TRUE(outer);
    EXPECT_LT(outer->width, 40);
    program.process().type("q");
    EXPECT_TRUE(exitedWith(program.process().waitForExit(windowsBuild.stepTimeout), 0));
}

// Wine's console repaints with sequences of its own: the screen is judged as a terminal shows it.
TEST_F(WineProgramTest, ScreenShowsEachAnswerOnceAndCtrlCIsAKey) { checkTypedDialogueScreen(windowsBuild); }

TEST_F(WineProgramTest, ClosingTheWindowEndsTheProgram) { checkClosingTheWindowEndsTheProgram(windowsBuild); }

// A pipe from a Unix shell, which Wine cannot look into: a line whose writer has not yet written
// the next one is answered at once, not held until more comes.
TEST_F(WineProgramTest, SlowPipeOnStandardInputDoesNotHoldUpThePrompts) {
    const std::string pipePath = uniqueTempPath("slow-answers");
    ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
    DrivenProgram program(windowsBuild, programOptions(pipePath, ""));
    const int writer = open(pipePath.c_str(), O_WRONLY); // waits for the program to open it
    ASSERT_GE(writer, 0);
    const auto say = [writer](const std::string& answers) {
        ASSERT_EQ(write(writer, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
    };
    say("20\r\n30\r\n1\r\n");
    EXPECT_TRUE(program.process().waitForText("examples:", windowsBuild.startTimeout)) << "the rule set's answer held up";
    say("1/23/3\r\n");
    EXPECT_TRUE(program.process().waitForText("Iteration: 2", windowsBuild.startTimeout));
    close(writer);
    unlink(pipePath.c_str());
    program.probe().sendDeleteWindow(program.window());
    EXPECT_TRUE(exitedWith(program.process().waitForExit(windowsBuild.stepTimeout), 0));
}

TEST_F(WineProgramTest, InputEndingBeforeARuleEndsTheProgram) { checkInputEndingBeforeARuleEndsTheProgram(windowsBuild); }

// The answers are written in the C library's text mode, whose line ends are 13, 10; "/?" asks for
// help as --help does.
class WineCommandLine : public testing::TestWithParam<CommandLineAnswer> {};

TEST_P(WineCommandLine, IsAnswered) { expectAnswered(GetParam(), programOptions("", ""), "\r\n"); }

INSTANTIATE_TEST_SUITE_P(Answers, WineCommandLine, testing::ValuesIn([] {
                             auto answers = commandLineAnswers("  --help, /?   show this help and exit\n");
                             answers.push_back({{"/?"}, 0, answers.front().output, ""});
                             return answers;
                         }()));

} // namespace
