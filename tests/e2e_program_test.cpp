// The whole program, driven as a person would: answers and keys typed at a pseudo-terminal, the
// terminal's output read back, and the window's pixels read back from a private X server. The
// wall clock is frozen at 12:00:00 so that the seed, and with it every world, is known; the
// expected worlds are computed with the program's own engine and random services.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <thread>

#include "random_and_time/random.h"
#include "tests/support/dialogue_screen.h"
#include "tests/support/program_run.h"
#include "tests/support/pty_process.h"
#include "tests/support/temp_path.h"
#include "tests/support/xvfb_server.h"
#include "text/numbers.h"

namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 20s;
constexpr auto stepTimeout = 10s;

PtyOptions programOptions(std::string stdinPath = "", std::string stdoutPath = "") {
    PtyOptions options;
    options.argv = {TESSERA_EXECUTABLE};
    options.environment = frozenClockEnvironment();
    options.stdinPath = std::move(stdinPath);
    options.stdoutPath = std::move(stdoutPath);
    return options;
}

// True once the program's main thread sleeps in a poll with a time limit other than 0: in
// single-step mode that is the wait for a key. A key typed before then would be taken by the
// generation's own poll for a command, which looks at the keyboard with a time limit of 0.
bool waitUntilWaitingForKey(const PtyProcess& program) {
    const auto deadline = std::chrono::steady_clock::now() + stepTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream syscall("/proc/" + std::to_string(program.pid()) + "/syscall");
        long number = -1;
        std::string descriptors, count, timeLimit;
        if (syscall >> number >> descriptors >> count >> timeLimit &&
            ((number == 7 && timeLimit != "0x0") || number == 271)) // poll, ppoll
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

// Releases the single-step wait with a key, once the program is waiting.
void stepWith(PtyProcess& program, const std::string& keys) {
    ASSERT_TRUE(waitUntilWaitingForKey(program));
    program.type(keys);
}

class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb_.running()) << "Xvfb could not be started";
        ASSERT_TRUE(probe_.connected());
    }

    XWindowId programWindow() { return probe_.waitForTopLevel("Tessera", startTimeout); }

    std::vector<std::uint32_t> waitForFrame(XWindowId window, const ExpectedRun& run, int width, int height) {
        return waitForPixels(probe_, window, {0, 0, width, height}, run.frame(), stepTimeout);
    }

    XvfbServer xvfb_;
    ScreenProbe probe_;
};

// Starts in single-step mode: the "s" typed with the rule is polled by the first generation.
void startStepping(PtyProcess& program, const std::string& dimensionsAndMode, const std::string& rule) {
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type(dimensionsAndMode);
    ASSERT_TRUE(program.waitForText("examples:", startTimeout));
    program.type(rule + "\rs");
    ASSERT_TRUE(program.waitForText("Iteration: 1", startTimeout));
}

TEST_F(ProgramTest, TranscriptWithRedirectedInputAndOutputIsExact) {
    const std::string input = writeTempFile("answers", dialogueAnswers);
    const std::string transcript = uniqueTempPath("transcript");
    PtyProcess program(programOptions(input, transcript));

    ASSERT_NE(programWindow(), 0u);
    // More than ten generations before the quit, however slowly they come.
    const auto deadline = std::chrono::steady_clock::now() + stepTimeout;
    while (readFile(transcript).find("Iteration: 11") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    program.type("q");
    ASSERT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
    EXPECT_GT(expectTranscriptOfAnsweredRun(readFile(transcript)), 10);
}

TEST_F(ProgramTest, DialogueClampsAnswersAndAsksForTheRuleAgain) {
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type("9.5\r5000\r3\r");
    ASSERT_TRUE(program.waitForText("examples:", startTimeout));
    program.type("23\r");
    ASSERT_TRUE(program.waitFor(
        [](const std::string& shown) { return countOf(shown.substr(shown.find("examples:")), " -->") == 2; },
        stepTimeout));
    program.type("0/2/3\r");
    ASSERT_TRUE(program.waitForText("Iteration: 1", startTimeout));

    const XWindowId window = programWindow();
    ASSERT_NE(window, 0u);
    const auto geometry = probe_.geometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, 10);
    EXPECT_EQ(geometry->height, 600);
    EXPECT_EQ(geometry->rootX, 300);
    EXPECT_EQ(geometry->rootY, 300);

    // Echoed answers, no speed prompt for rule set 3, and the re-prompt on a line of its own.
    EXPECT_NE(program.output().find("-->9.5\r\nWorld height (10 - 600) -->5000\r\n"), std::string::npos);
    EXPECT_EQ(program.output().find("Speed"), std::string::npos);
    EXPECT_NE(program.output().find(" -->23\r\n -->0/2/3\r\n" + legend), std::string::npos);

    program.type("Q");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

TEST_F(ProgramTest, ScreenShowsEachAnswerOnceAndCtrlCIsAKey) {
    checkTypedDialogueScreen(programOptions(), startTimeout);
}

TEST_F(ProgramTest, QuitRestoresTheTerminalModes) {
    termios fresh{};
    {
        int master = -1, slave = -1;
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        tcgetattr(master, &fresh);
        close(master);
        close(slave);
    }
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    EXPECT_EQ(program.terminalModes().c_lflag & (ECHO | ICANON), 0u) << "raw mode while running";
    program.type("20\r20\r1\r1/23/3\r");
    ASSERT_TRUE(program.waitForText("Iteration: 2", startTimeout));
    program.type("q");
    ASSERT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
    const termios after = program.terminalModes();
    EXPECT_EQ(after.c_lflag, fresh.c_lflag);
    EXPECT_EQ(after.c_iflag, fresh.c_iflag);
    EXPECT_EQ(after.c_oflag, fresh.c_oflag);
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
    const RenderMode mode = GetParam().mode;
    const int width = 40, height = 30;
    PtyOptions options = programOptions();
    if (!GetParam().sharedMemory) {
        // In an IPC namespace of its own the program's memory segment is invisible to the server,
        // which refuses to attach it: the window must send its pixels through the connection.
        if (std::system("unshare --ipc true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no IPC namespaces here";
        options.argv.insert(options.argv.begin(), {"unshare", "--ipc"});
    }
    PtyProcess program(options);
    startStepping(program, mode == RenderMode::shadesOfGrey ? "40\r30\r2\r16\r" : "40\r30\r1\r", "1/23/3");
    const XWindowId window = programWindow();
    ASSERT_NE(window, 0u);

    ExpectedRun expected(width, height, Rule{1, "23", "3", mode, mode == RenderMode::shadesOfGrey ? 16 : 0});
    EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "the reset fill";
    for (int generation = 2; generation <= 4; ++generation) {
        expected.step();
        stepWith(program, " ");
        ASSERT_TRUE(program.waitForText("Iteration: " + std::to_string(generation), stepTimeout)) << program.output();
        EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "generation " << generation;
    }

    // A q during the wait only releases it; s typed during the wait ends single-step mode.
    stepWith(program, "q");
    ASSERT_TRUE(program.waitForText("Iteration: 5", stepTimeout));
    EXPECT_FALSE(program.waitForExit(200ms));
    stepWith(program, "s");
    ASSERT_TRUE(program.waitForText("Iteration: 50", stepTimeout));
    program.type("q");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

INSTANTIATE_TEST_SUITE_P(RuleModes, SteppedFrames,
                         testing::Values(SteppedCase{RenderMode::blackWhite, true}, SteppedCase{RenderMode::shadesOfGrey, true},
                                         SteppedCase{RenderMode::blackWhite, false}),
                         [](const testing::TestParamInfo<SteppedCase>& info) { return steppedCaseName(info.param); });

TEST_F(ProgramTest, DigitKeyRefillsAndXDrawsARandomRule) {
    const int width = 30, height = 20;
    PtyProcess program(programOptions());
    startStepping(program, "30\r20\r1\r", "1/23/3");
    const XWindowId window = programWindow();
    ASSERT_NE(window, 0u);
    ExpectedRun expected(width, height, Rule{1, "23", "3"});
    expected.step();

    // The space releases the wait; the 9 behind it is polled by the next generation.
    stepWith(program, " 9");
    ASSERT_TRUE(program.waitForText("Iteration: 2", stepTimeout));
    expected.step();
    expected.densityFill(9);
    stepWith(program, " ");
    ASSERT_TRUE(program.waitForText("Iteration: 3", stepTimeout));
    const std::vector<std::uint32_t> filled = waitForFrame(window, expected, width, height);
    EXPECT_EQ(filled, expected.frame());
    for (std::uint32_t colour : filled) {
        EXPECT_GE(colour & 0xFF, 105u);
        EXPECT_LE(colour & 0xFF, 254u);
    }

    // x draws nine digits for Survive, then nine for Born, from the same generator.
    expected.step();
    Text survive, born;
    for (Text* digits : {&survive, &born})
        for (int digit = 0; digit <= 8; ++digit)
            if (integerPart(random01() * 10) > 5) *digits += countText(digit);
    stepWith(program, " x");
    const std::string message = "\r\nNew rule: 1/" + survive + "/" + born + "\r\n";
    ASSERT_TRUE(program.waitForText(message, stepTimeout));
    EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "stepped from the fill";
    stepWith(program, " ");
    ASSERT_TRUE(program.waitForText(message + "\x1b[1GIteration: 5", stepTimeout))
        << "the counter goes on below the message";
    EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "stepped before the x";
    expected.useRule(Rule{1, survive, born});
    expected.step();
    stepWith(program, " ");
    ASSERT_TRUE(program.waitForText("Iteration: 6", stepTimeout));
    EXPECT_EQ(waitForFrame(window, expected, width, height), expected.frame()) << "stepped by the new rule";
    stepWith(program, " q");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

TEST_F(ProgramTest, ResetAndNewRulesClearTheCounterLineAndStartAgain) {
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type("50\r40\r2\r100\r1/23/3\r");
    ASSERT_TRUE(program.waitForText("Iteration: 20", startTimeout));
    const std::string blanks(79, ' ');

    program.type("r");
    ASSERT_TRUE(program.waitForText(blanks + "\x1b[1GIteration: 1\x1b", stepTimeout));

    const std::size_t before = program.output().size();
    program.type("n");
    ASSERT_TRUE(program.waitForText(blanks + ruleExamples + " -->", stepTimeout));
    program.type("1/34/34\r");
    ASSERT_TRUE(program.waitForText("1/34/34\r\n" + legend + "\x1b[1GIteration: 1\x1b", stepTimeout));
    const std::string afterNewRules = program.output().substr(before);
    EXPECT_EQ(afterNewRules.find("World width"), std::string::npos);
    EXPECT_EQ(afterNewRules.find("Speed"), std::string::npos);

    const XWindowId window = programWindow();
    const auto geometry = probe_.geometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, 50);
    EXPECT_EQ(geometry->height, 40);
    program.type("q");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

TEST_F(ProgramTest, ClosingTheWindowEndsTheProgram) {
    PtyProcess program(programOptions());
    ASSERT_TRUE(program.waitForText("World width (10 - 600) -->", startTimeout));
    program.type("600\r600\r1\r4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r");
    ASSERT_TRUE(program.waitForText("Iteration: 3", startTimeout));
    probe_.sendDeleteWindow(programWindow());
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

TEST_F(ProgramTest, ClosingTheWindowInSingleStepModeEndsAfterTheAwaitedKey) {
    PtyProcess program(programOptions());
    startStepping(program, "20\r20\r1\r", "1/23/3");
    probe_.sendDeleteWindow(programWindow());
    EXPECT_FALSE(program.waitForExit(500ms)) << "the wait for a key comes before the end test";
    stepWith(program, " ");
    EXPECT_TRUE(exitedWith(program.waitForExit(stepTimeout), 0));
}

TEST_F(ProgramTest, MissingDisplayIsReportedAfterTheDialogue) {
    const std::string input = writeTempFile("answers-no-display", "20\n20\n1\n1/23/3\n");
    PtyOptions options = programOptions(input, "/dev/null");
    options.environment.push_back("DISPLAY=:4095");
    PtyProcess program(options);
    EXPECT_TRUE(exitedWith(program.waitForExit(startTimeout), 1));
    EXPECT_NE(program.output().find("tessera: the graphic window could not be opened on display \":4095\"\r\n"),
              std::string::npos)
        << program.output();
}

TEST_F(ProgramTest, InputEndingBeforeARuleEndsTheProgram) {
    const std::string input = writeTempFile("answers-no-rule", "20\n20\n1\n23\n");
    PtyProcess program(programOptions(input, "/dev/null"));
    EXPECT_TRUE(exitedWith(program.waitForExit(startTimeout), 1));
    EXPECT_NE(program.output().find("tessera: input ended before a rule"), std::string::npos) << program.output();
}

// Answered before the console is prepared: nothing reaches the terminal, and no dialogue starts.
class CommandLine : public testing::TestWithParam<CommandLineAnswer> {};

TEST_P(CommandLine, IsAnsweredAndTheTerminalLeftAlone) {
    EXPECT_EQ(expectAnswered(GetParam(), programOptions(), "\n"), "");
}

// "/?" asks for help on Windows only; a full disk fails the answer instead of passing it.
INSTANTIATE_TEST_SUITE_P(Answers, CommandLine,
                         testing::ValuesIn([] {
                             std::vector<CommandLineAnswer> answers = commandLineAnswers;
                             answers.push_back({{"/?"}, 2, "", "tessera: unknown option '/?' (try 'tessera --help')\n"});
                             return answers;
                         }()));

TEST(CommandLineOnAFullDisk, FailsTheAnswer) {
    PtyOptions options = programOptions("", "/dev/full");
    options.argv.push_back("--version");
    PtyProcess program(options);
    EXPECT_TRUE(exitedWith(program.waitForExit(startTimeout), 1));
}

} // namespace
