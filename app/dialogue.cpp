#include "app/dialogue.h"

#include "app/failure_report.h"
#include "app/key_commands.h"
#include "console/console.h"
#include "random_and_time/random.h"
#include "random_and_time/time_of_day.h"
#include "text/numbers.h"

namespace {

const Text projectAddress = "https://tessera.example.org";

constexpr std::int32_t windowLeft = 300;
constexpr std::int32_t windowTop = 300;
constexpr std::uint32_t defaultWindowStyle = 0;

std::int32_t readNumberAnswer() { return storeInt32(toNumber(readLine())); }

void askWorldSize(ProgramState& state) {
    print("World width (10 - 600) -->");
    state.width = clampWorldDimension(readNumberAnswer());
    print("World height (10 - 600) -->");
    state.height = clampWorldDimension(readNumberAnswer());
}

void openWorldWindow(ProgramState& state) {
    state.window = openWindow("Tessera", windowLeft, windowTop, state.width, state.height, defaultWindowStyle);
    attachWindow(state.window, 0, bufferedRedraw);
}

void askRules(ProgramState& state) {
    printLine("Rule set:");
    printLine("[1.] Conway-Style [B/W]");
    printLine(" 2.  Shades of Grey");
    print("  -->");
    Rule rule = state.simulation.rule();
    // Only a typed value of exactly 2 selects grey; the number is compared unrounded.
    rule.mode = toNumber(readLine()) == 2 ? RenderMode::shadesOfGrey : RenderMode::blackWhite;
    if (rule.mode == RenderMode::shadesOfGrey) {
        print("Speed 1-128 [16] -->");
        rule.greySpeed = clampGreySpeed(readNumberAnswer());
    }
    state.simulation.setRule(rule);
}

struct RuleExample {
    Rule rule;
    const char* name;
};

void printRuleExamples() {
    static const RuleExample examples[] = {
        {{1, "23", "3"}, "Game of Life"},   {{1, "23", "36"}, "Highlife"},
        {{1, "34", "34"}, "34 Life"},       {{1, "5", "345"}, "Long Life"},
        {{1, "1358", "357"}, "Amoeba"},     {{1, "235678", "378"}, "Coagulations"},
        {{1, "5678", "35678"}, "Diamoebas"},
    };
    printLine("Conway rulesubset (Size/Survive/Born) -- examples:");
    for (const RuleExample& example : examples) printLine(formatRule(example.rule) + " - " + example.name);
}

// Asks until the answer holds a "/". Gives false when redirected input has ended without one:
// no further answer can ever come.
bool readRuleAnswer(Text& answer) {
    for (;;) {
        print(" -->");
        answer = readLine();
        if (isRuleNotation(answer)) return true;
        if (redirectedInputHasEnded()) return false;
    }
}

void printLegend() {
    newLine();
    printLine("GO!");
    for (const KeyCommand& command : keyCommands) {
        if (command.legendLine != nullptr) printLine(command.legendLine);
    }
}

} // namespace

std::int32_t clampWorldDimension(std::int32_t typed) {
    if (typed < 10) return 100;
    if (typed > 600) return 600;
    return typed;
}

std::int32_t clampGreySpeed(std::int32_t typed) {
    if (typed < 1) return 16;
    if (typed > 128) return 128;
    return typed;
}

void runOpeningDialogue(ProgramState& state) {
    seedRandom(timeOfDay());
    printLine("Tessera // " + projectAddress);
    printLine("Ildrith's cellular automata toy");
    askWorldSize(state);
    openWorldWindow(state);
    askRules(state);
}

Stage runRuleDialogue(ProgramState& state) {
    printRuleExamples();
    Text answer;
    if (!readRuleAnswer(answer)) {
        reportFailure("input ended before a rule (Size/Survive/Born) was given");
        state.exitCode = failureExitCode;
        return Stage::end;
    }
    Rule rule = state.simulation.rule();
    parseRule(rule, answer);
    state.simulation.setRule(rule);
    printLegend();
    if (!state.simulation.createWorld(state.width, state.height)) {
        reportFailure("not enough memory for a world of " + countText(state.width) + " x " +
                      countText(state.height) + " cells");
        state.exitCode = failureExitCode;
        return Stage::end;
    }
    focusWindow();
    return Stage::reset;
}
