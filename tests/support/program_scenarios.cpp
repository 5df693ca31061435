#include "tests/support/program_scenarios.h"

#include <functional>
#include <regex>

#include "tests/support/eventually.h"
#include "tests/support/temp_path.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string widthPrompt = "World width (10 - 600) -->";
const Rows title = {"Tessera // https://tessera.example.org", "Ildrith's cellular automata toy"};
// How long a key typed again after a Ctrl+C is given to show before it is typed once more.
constexpr auto retryPause = 3s;

std::string counter(long generation) { return "Iteration: " + std::to_string(generation); }

// The count on the cursor's row when it shows the counter alone, or -1.
long countAtCursor(const ScreenPicture& picture) {
    static const std::regex shownCounter("Iteration: ([0-9]+)");
    const std::size_t row = static_cast<std::size_t>(picture.cursorRow);
    std::smatch match;
    if (row >= picture.rows.size() || !std::regex_match(picture.rows[row], match, shownCounter)) return -1;
    return std::stol(match[1]);
}

std::string joined(const Rows& rows) {
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

} // namespace

DrivenProgram::DrivenProgram(const ProgramBuild& build, const PtyOptions& options)
    : build_(build), process_(options), screen_(process_, options.rows, options.columns) {}

XWindowId DrivenProgram::window() { return probe_.waitForTopLevel("Tessera", build_.startTimeout); }

std::vector<std::uint32_t> DrivenProgram::waitForFrame(const ExpectedRun& run) {
    const XWindowId shown = window();
    const auto area = build_.clientArea(probe_, shown, run.width(), run.height());
    if (!area) return {};
    return waitForPixels(probe_, shown, *area, run.frame(), build_.stepTimeout);
}

testing::AssertionResult DrivenProgram::stepWith(const std::string& keys) {
    const pid_t program = process_.pid();
    const auto waiting = [&] {
        const auto call = sleepingCall(program, program);
        return call && build_.waitsForKey(*call);
    };
    if (!eventually(waiting, build_.stepTimeout)) return testing::AssertionFailure() << "no wait for a key";
    process_.type(keys);
    return testing::AssertionSuccess();
}

testing::AssertionResult DrivenProgram::showsAtCursor(const Rows& rows) {
    if (screen_.showsAtCursor(rows, build_.stepTimeout)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no rows down to the cursor reading\n"
                                       << joined(rows) << "on the screen:\n"
                                       << shown(screen_.picture());
}

void startStepping(DrivenProgram& program, const std::string& dimensionsAndMode, const std::string& rule) {
    ASSERT_TRUE(program.process().waitForText(widthPrompt, program.build().startTimeout));
    program.process().type(dimensionsAndMode);
    ASSERT_TRUE(program.process().waitForText("examples:", program.build().startTimeout));
    program.process().type(rule + "\rs");
    ASSERT_TRUE(program.showsAtCursor({"S = Step On/Off", counter(1)}));
}

void checkSteppedFrames(const ProgramBuild& build, const PtyOptions& options, RenderMode mode) {
    const bool grey = mode == RenderMode::shadesOfGrey;
    DrivenProgram program(build, options);
    startStepping(program, grey ? "40\r30\r2\r16\r" : "40\r30\r1\r", "1/23/3");
    ExpectedRun expected(40, 30, Rule{1, "23", "3", mode, grey ? 16 : 0});
    EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "the reset fill";
    for (long generation = 2; generation <= 4; ++generation) {
        expected.step();
        ASSERT_TRUE(program.stepWith(" "));
        ASSERT_TRUE(program.showsAtCursor({counter(generation)}));
        EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "generation " << generation;
    }
    ASSERT_TRUE(program.stepWith("s")); // released from the wait, and single steps end
    ASSERT_TRUE(program.process().waitForText(counter(50), build.stepTimeout));
    program.process().type("q");
    EXPECT_TRUE(exitedWith(program.process().waitForExit(build.stepTimeout), 0));
}

void checkKeysInSingleSteps(const ProgramBuild& build) {
    DrivenProgram program(build, build.options("", ""));
    // Grey rules at speed 100, which a step after n shows were kept.
    startStepping(program, "30\r20\r2\r100\r", "1/23/3");
    ExpectedRun expected(30, 20, Rule{1, "23", "3", RenderMode::shadesOfGrey, 100});
    EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "the reset fill";
    // Each key goes behind the space that releases a wait, so the generation let through polls
    // it: that generation shows what the one before left, and what its own step leaves, the key
    // may change for the next.
    long generation = 1;
    expected.step();
    for (const char digit : std::string("0123456789")) {
        ASSERT_TRUE(program.stepWith(std::string(" ") + digit));
        ASSERT_TRUE(program.showsAtCursor({counter(++generation)}));
        EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "before the " << digit;
        expected.step();
        expected.densityFill(digit - '0');
    }

    // The generation that polls the x has made its step by the old rule; the next is the new one's.
    ASSERT_TRUE(program.stepWith(" x"));
    const std::string notation = expected.drawRandomRule(), newRule = "New rule: " + notation;
    ASSERT_TRUE(program.showsAtCursor({counter(++generation), newRule, ""}));
    EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "the fill of 9";
    expected.step();
    expected.useRule(notation);
    for (const char* what : {"stepped by the old rule", "stepped by the new rule"}) {
        ASSERT_TRUE(program.stepWith(" "));
        ASSERT_TRUE(program.showsAtCursor({newRule, counter(++generation)}));
        EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << what;
        expected.step();
    }

    // r: the counter's line blanked and counting from 1 again, the world filled from the
    // generator's next numbers.
    ASSERT_TRUE(program.stepWith(" r"));
    expected.refill();
    ASSERT_TRUE(program.showsAtCursor({newRule, counter(1)}));
    EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "the fill of r";
    expected.step();

    // n: the counter's line blanked to the 80th column, where the examples begin and wrap.
    ASSERT_TRUE(program.stepWith(" n"));
    ASSERT_TRUE(program.showsAtCursor(Rows{newRule, std::string(79, ' ') + "C"} + rowsOf(ruleExamples.substr(1)) +
                                      Rows{" -->"}));
    program.process().type("1/34/34\r");
    expected.refill();
    expected.useRule("1/34/34");
    ASSERT_TRUE(program.showsAtCursor(Rows{" -->1/34/34"} + rowsOf(legend) + Rows{counter(1)}));
    EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "the fill of n";
    expected.step();
    ASSERT_TRUE(program.stepWith(" "));
    ASSERT_TRUE(program.showsAtCursor({counter(2)}));
    EXPECT_EQ(program.waitForFrame(expected), expected.frame()) << "stepped by the rule typed";

    ASSERT_TRUE(program.stepWith("q"));
    ASSERT_TRUE(program.showsAtCursor({counter(3)})) << "a q only releases the wait";
    ASSERT_TRUE(program.stepWith("s"));
    EXPECT_TRUE(program.screen().await([](const ScreenPicture& screen) { return countAtCursor(screen) > 30; },
                                       build.stepTimeout))
        << "counting on without keys after s:\n" << shown(program.screen().picture());
    program.process().type("Q");
    EXPECT_TRUE(exitedWith(program.process().waitForExit(build.stepTimeout), 0));
}

void checkRedirectedTranscript(const ProgramBuild& build) {
    const std::string transcript = uniqueTempPath("transcript");
    DrivenProgram program(build, build.options(writeTempFile("answers", dialogueAnswers), transcript));
    const XWindowId window = program.window();
    ASSERT_NE(window, 0u);
    const auto outer = program.probe().geometry(window);
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->rootX, 300);
    EXPECT_EQ(outer->rootY, 300);
    // More than ten generations before the window is closed, however slowly they come.
    ASSERT_TRUE(eventually([&] { return countOf(readFile(transcript), "Iteration") > 10; }, build.stepTimeout));
    program.probe().sendDeleteWindow(window);
    ASSERT_TRUE(exitedWith(program.process().waitForExit(build.stepTimeout), 0));
    EXPECT_GT(expectTranscriptOfAnsweredRun(readFile(transcript)), 10);
}

void checkClosingTheWindowEndsTheProgram(const ProgramBuild& build) {
    DrivenProgram program(build, build.options("", ""));
    ASSERT_TRUE(program.process().waitForText(widthPrompt, build.startTimeout));
    program.process().type(
        "600\r600\r1\r4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r");
    ASSERT_TRUE(program.process().waitForText(counter(3), build.startTimeout));
    program.probe().sendDeleteWindow(program.window());
    EXPECT_TRUE(exitedWith(program.process().waitForExit(build.stepTimeout), 0));
}

void checkInputEndingBeforeARuleEndsTheProgram(const ProgramBuild& build) {
    PtyProcess program(build.options(writeTempFile("answers", "20\n20\n1\n23\n"), "/dev/null"));
    EXPECT_TRUE(exitedWith(program.waitForExit(build.startTimeout), 1));
    EXPECT_NE(program.output().find("tessera: input ended before a rule"), std::string::npos) << program.output();
}

// ---- The typed dialogue's screen ----

namespace {

Rows dialogueRows() {
    return title + Rows{widthPrompt + "40", "World height (10 - 600) -->30"} +
           rowsOf("Rule set:\r\n[1.] Conway-Style [B/W]\r\n 2.  Shades of Grey\r\n  -->1\r\n") + rowsOf(ruleExamples) +
           Rows{" -->1/23/3"} + rowsOf(legend);
}

// The count on the counter's line when the screen shows `rows` and below them that line alone.
long countBelow(const ScreenPicture& picture, const Rows& rows) {
    if (picture.rows.size() != rows.size() + 1 || !std::equal(rows.begin(), rows.end(), picture.rows.begin())) return -1;
    return countAtCursor(picture);
}

void awaitRows(ScreenWatch& screen, const Rows& rows, const std::string& what, std::chrono::milliseconds timeout) {
    EXPECT_TRUE(screen.shows(rows, timeout)) << what << "; the screen shows:\n" << shown(screen.picture());
}

void awaitCountAbove(ScreenWatch& screen, long above, const std::string& what, std::chrono::milliseconds timeout) {
    const Rows rows = dialogueRows();
    EXPECT_TRUE(screen.await([&](const ScreenPicture& picture) { return countBelow(picture, rows) > above; }, timeout))
        << what << "; the screen shows:\n" << shown(screen.picture());
}

// Types keys that follow a Ctrl+C until `took` sees them acted on. Only Wine's console drops keys
// typed in the moments after a Ctrl+C: elsewhere a key typed once and lost is a fault.
bool typeAfterCtrlC(DrivenProgram& program, const std::string& keys, const std::function<bool(std::chrono::milliseconds)>& took) {
    const ProgramBuild& build = program.build();
    if (!build.dropsKeysAfterCtrlC) {
        program.process().type(keys);
        return took(build.startTimeout);
    }
    const auto deadline = Clock::now() + build.startTimeout;
    do {
        program.process().type(keys);
        if (took(retryPause)) return true;
    } while (Clock::now() < deadline);
    return false;
}

void typeDialogueCheckingTheScreen(DrivenProgram& program) {
    ScreenWatch& screen = program.screen();
    const auto timeout = program.build().startTimeout;
    awaitRows(screen, title + Rows{widthPrompt}, "the first prompt", timeout);

    // Ctrl+C at a prompt ends nothing: taken back by Backspace, it leaves the line as it was.
    // Where the answer may have to be typed again, each try first erases what one before left.
    program.process().type("\x03\x7f");
    ASSERT_TRUE(program.process().waitUntilTypingIsRead(timeout));
    EXPECT_FALSE(program.process().waitForExit(0ms)) << "Ctrl+C at a prompt ended the program";
    EXPECT_TRUE(typeAfterCtrlC(program, program.build().dropsKeysAfterCtrlC ? "\x7f\x7f" "40" : "40",
                               [&](std::chrono::milliseconds time) { return screen.shows(title + Rows{widthPrompt + "40"}, time); }))
        << "the answer typed behind its prompt; the screen shows:\n" << shown(screen.picture());
    program.process().type("\r");
    awaitRows(screen, title + Rows{widthPrompt + "40", "World height (10 - 600) -->"}, "the second prompt", timeout);
    program.process().type("30\r");
    const Rows ruleSet = title + Rows{widthPrompt + "40", "World height (10 - 600) -->30"} +
                         rowsOf("Rule set:\r\n[1.] Conway-Style [B/W]\r\n 2.  Shades of Grey\r\n  -->");
    awaitRows(screen, ruleSet, "the rule set question", timeout);
    program.process().type("1\r");
    const Rows rulePrompt = title + Rows{widthPrompt + "40", "World height (10 - 600) -->30"} +
                            rowsOf("Rule set:\r\n[1.] Conway-Style [B/W]\r\n 2.  Shades of Grey\r\n  -->1\r\n") +
                            rowsOf(ruleExamples) + Rows{" -->"};
    awaitRows(screen, rulePrompt, "the rule examples and prompt", timeout);
    program.process().type("1/23/3\r");
    awaitCountAbove(screen, 0, "the legend, then the counter", timeout);
}

void interruptThenQuitCheckingTheScreen(DrivenProgram& program) {
    const auto timeout = program.build().startTimeout;
    program.process().type("\x03");
    ASSERT_TRUE(program.process().waitUntilTypingIsRead(timeout));
    const long count = countBelow(program.screen().picture(), dialogueRows());
    awaitCountAbove(program.screen(), count + 10, "the count goes on after Ctrl+C", timeout);
    EXPECT_FALSE(program.process().waitForExit(0ms)) << "Ctrl+C while running ended the program";
    std::optional<int> status;
    typeAfterCtrlC(program, "q", [&](std::chrono::milliseconds time) { return (status = program.process().waitForExit(time)).has_value(); });
    EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
}

} // namespace

void checkTypedDialogueScreen(const ProgramBuild& build) {
    PtyOptions options = build.options("", "");
    options.rows = 40; // tall enough that nothing scrolls away
    DrivenProgram program(build, options);
    typeDialogueCheckingTheScreen(program);
    interruptThenQuitCheckingTheScreen(program);
}
