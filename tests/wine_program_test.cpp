// The whole Windows program under Wine, driven as a person would: answers and keys typed at a
// pseudo-terminal that Wine's console reads, and the window's pixels read back from the X server
// Wine draws on. The clock is frozen as for the Linux program, so the expected worlds are the
// same. scripts/test-windows.sh provides the X server (DISPLAY), the prefix (WINEPREFIX) with its
// running server, and the program (TESSERA_WINDOWS_PROGRAM).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "random_and_time/random.h"
#include "tests/support/dialogue_screen.h"
#include "tests/support/program_run.h"
#include "tests/support/pty_process.h"
#include "tests/support/wine_console.h"
#include "text/numbers.h"

namespace {

using namespace std::chrono_literals;

// Wine starts a process in a fraction of a second with its server running, but a loaded
// machine can take many times that.
constexpr auto startTimeout = 60s;
constexpr auto stepTimeout = 20s;
// A key typed in the instant between a single step's poll and its wait is taken by the poll;
// one that has released the wait shows the next counter long before this.
constexpr auto stepRetryPause = 3s;

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The clock frozen, for the expected worlds; without NO_FAKE_STAT Wine would see its prefix as out
// of date and rebuild it.
PtyOptions programOptions(std::string stdinPath = "", std::string stdoutPath = "") {
    PtyOptions options = wineProgramOptions(environmentValue("TESSERA_WINDOWS_PROGRAM"));
    const std::vector<std::string> frozenClock = frozenClockEnvironment();
    options.environment.insert(options.environment.end(), frozenClock.begin(), frozenClock.end());
    options.environment.push_back("NO_FAKE_STAT=1");
    options.stdinPath = std::move(stdinPath);
    options.stdoutPath = std::move(stdoutPath);
    return options;
}

class WineProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(environmentValue("TESSERA_WINDOWS_PROGRAM").empty());
        ASSERT_FALSE(environmentValue("WINEPREFIX").empty());
        ASSERT_TRUE(probe_.connected()) << "no X server on DISPLAY";
    }

    XWindowId programWindow() { return probe_.waitForTopLevel("Tessera", startTimeout); }

    // Wine draws its own frame around the client area inside the window it creates: borders of
    // equal width left, right and below, the caption above.
    std::optional<PixelArea> clientArea(XWindowId window, int width, int height) {
        const auto outer = probe_.geometry(window);
        if (!outer || outer->width < width || outer->height < height) return std::nullopt;
        const int border = (outer->width - width) / 2;
        return PixelArea{border, outer->height - height - border, width, height};
    }

    std::vector<std::uint32_t> waitForFrame(XWindowId window, const ExpectedRun& run, int width, int height) {
        const auto area = clientArea(window, width, height);
        if (!area) return {};
        return waitForPixels(probe_, window, *area, run.frame(), stepTimeout);
    }

    ScreenProbe probe_;
};

// Releases the single-step wait with a space and waits for the generation's counter.
void stepTo(PtyProcess& program, int generation) {
    const std::string counter = "Iteration: " + std::to_string(generation);
    const auto deadline = std::chrono::steady_clock::now() + stepTimeout;
    do {
        program.type(" ");
        if (program.waitForText(counter, stepRetryPause)) return;
    } while (std::chrono::steady_clock::now() < deadline);
    FAIL() << "no " << counter << " in " << program.output();
}

TEST_F(WineProgramTest, TranscriptWithRedirectedInputAndOutputIsExact) {
    const std::string input = writeTempFile("wine-answers", dialogueAnswers);
    const std::string transcript = testing::TempDir() + "wine-transcript";
    PtyProcess program(programOptions(input, transcript));

    const XWindowId window = programWindow();
    ASSERT_NE(window, 0u);
    const auto outer = probe_.geometry(window);
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->rootX, 300);
    EXPECT_EQ(outer->rootY, 300);
    ASSERT_TRUE(program.waitFor([&](const std::string&) { return countOf(readFile(transcript), "Iteration") > 10; },
                                stepTimeout));
    probe_.sendDeleteWindow(window);
    ASSERT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
    expectTranscriptOfAnsweredRun(readFile(transcript));
}

class WineSteppedFrames : public WineProgramTest, public testing::WithParamInterface<RenderMode> {};

TEST_P(WineSteppedFrames, WindowShowsEachGenerationOfTheEngine) {
    const RenderMode mode = GetParam();
    const int width = 40, height = 30;
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type(mode == RenderMode::shadesOfGrey ? "40\r30\r2\r16\r" : "40\r30\r1\r");
    ASSERT_TRUE(program.waitForText("examples:", startTimeout));
    program.type("1/23/3\rs"); // the s is polled by the first generation: single steps from there
    ASSERT_TRUE(program.waitForText("Iteration: 1", startTimeout));
    const XWindowId window = programWindow();
    ASSERT_NE(window, 0u);

    ExpectedRun expected(width, height, Rule{1, "23", "3", mode, mode == RenderMode::shadesOfGrey ? 16 : 0});
    EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "the reset fill";
    for (int generation = 2; generation <= 4; ++generation) {
        expected.step();
        stepTo(program, generation);
        EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "generation " << generation;
    }
    program.type("s"); // released from the wait, and single-step mode ends
    ASSERT_TRUE(program.waitForText("Iteration: 50", stepTimeout));
    program.type("q");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

INSTANTIATE_TEST_SUITE_P(BothRuleModes, WineSteppedFrames, testing::Values(RenderMode::blackWhite, RenderMode::shadesOfGrey));

TEST_F(WineProgramTest, KeysRefillDrawARuleResetAskAgainAndQuit) {
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type("10\r10\r1\r1/23/3\r");
    ASSERT_TRUE(program.waitForText("Iteration: 5", startTimeout));
    const XWindowId window = programWindow();
    ASSERT_NE(window, 0u);
    const auto outer = probe_.geometry(window);
    ASSERT_TRUE(outer);
    EXPECT_LT(outer->width, 40) << "a 10 x 10 client area is not widened to the system's minimum";

    // The digits refill the world (the fills themselves are the shared engine's, tested with
    // the Linux program); the run goes on behind them.
    program.type("1234567890");
    const std::size_t afterDigits = program.output().size();
    ASSERT_TRUE(program.waitFor([&](const std::string& shown) { return countOf(shown.substr(afterDigits), "Iteration") > 3; },
                                stepTimeout));

    program.type("x");
    ASSERT_TRUE(program.waitForText("New rule: ", stepTimeout));
    const std::size_t beforeReset = program.output().size();
    program.type("r");
    ASSERT_TRUE(program.waitFor([&](const std::string& shown) { return shown.find("Iteration: 1", beforeReset) != std::string::npos; },
                                stepTimeout));
    program.type("n");
    ASSERT_TRUE(program.waitForText(" -->", stepTimeout));
    ASSERT_TRUE(program.waitFor([&](const std::string& shown) { return countOf(shown, "examples:") == 2; }, stepTimeout));
    program.type("1/34/34\r");
    ASSERT_TRUE(program.waitFor([&](const std::string& shown) { return countOf(shown, "GO!") == 2; }, stepTimeout));
    program.type("s");
    program.type("q");
    program.type("Q");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

// Wine's console repaints with sequences of its own: the screen is judged as a terminal shows it.
TEST_F(WineProgramTest, ScreenShowsEachAnswerOnceAndCtrlCIsAKey) {
    checkTypedDialogueScreen(programOptions(), startTimeout);
}

TEST_F(WineProgramTest, ClosingTheWindowEndsTheProgram) {
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type("600\r600\r1\r1/23/3\r");
    ASSERT_TRUE(program.waitForText("Iteration: 3", startTimeout));
    probe_.sendDeleteWindow(programWindow());
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

// A pipe from a Unix shell, which Wine cannot look into: a line whose writer has not yet written
// the next one is answered at once, not held until more comes.
TEST_F(WineProgramTest, SlowPipeOnStandardInputDoesNotHoldUpThePrompts) {
    const std::string pipePath = testing::TempDir() + "wine-slow-answers-" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
    PtyProcess program(programOptions(pipePath));
    const int writer = open(pipePath.c_str(), O_WRONLY); // waits for the program to open it
    ASSERT_GE(writer, 0);
    const auto say = [writer](const std::string& answers) {
        ASSERT_EQ(write(writer, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
    };
    say("20\r\n30\r\n1\r\n");
    EXPECT_TRUE(program.waitForText("examples:", startTimeout)) << "the rule set's answer held up: " << program.output();
    say("1/23/3\r\n");
    EXPECT_TRUE(program.waitForText("Iteration: 2", startTimeout)) << program.output();
    close(writer);
    unlink(pipePath.c_str());
    probe_.sendDeleteWindow(programWindow());
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

TEST_F(WineProgramTest, InputEndingBeforeARuleEndsTheProgram) {
    const std::string input = writeTempFile("wine-answers-no-rule", "20\n20\n1\n23\n");
    PtyProcess program(programOptions(input, "/dev/null"));
    EXPECT_TRUE(exitedWith(program.waitForExit(startTimeout), 1));
    EXPECT_NE(program.output().find("tessera: input ended before a rule"), std::string::npos) << program.output();
}

// The answers are written in the C library's text mode, whose line ends are 13, 10.
class WineCommandLine : public testing::TestWithParam<CommandLineAnswer> {};

TEST_P(WineCommandLine, IsAnswered) { expectAnswered(GetParam(), programOptions(), "\r\n"); }

INSTANTIATE_TEST_SUITE_P(Answers, WineCommandLine, testing::ValuesIn([] {
                             std::vector<CommandLineAnswer> answers = commandLineAnswers;
                             answers.push_back({{"/?"}, 0, answers.front().outputStart, ""});
                             return answers;
                         }()));

} // namespace
