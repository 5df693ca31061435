#include "app/key_commands.h"

#include "console/console.h"
#include "engine/fills.h"
#include "random_and_time/random.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace {

// The counter line is blanked with 79 blanks, which leaves the cursor in the last column of an
// 80-column terminal instead of wrapping.
void clearCounterLine() {
    printAtLineStart(spaces(79));
}

Text drawRuleDigits() {
    Text digits;
    for (int digit = 0; digit <= 8; ++digit) {
        if (integerPart(random01() * 10) > 5) digits = concat(digits, countText(digit));
    }
    return digits;
}

KeyOutcome reset(ProgramState&, const Text&) {
    clearCounterLine();
    return KeyOutcome::reset;
}

KeyOutcome askNewRule(ProgramState&, const Text&) {
    clearCounterLine();
    return KeyOutcome::newRules;
}

// Size 1 and Survive and Born drawn digit by digit (each of 0..8 with probability 4/10), then
// "New rule: " and the rule's notation on a line of its own.
KeyOutcome drawRandomRule(ProgramState& state, const Text&) {
    state.rule.size = 1;
    storeText(state.rule.survive, drawRuleDigits());
    storeText(state.rule.born, drawRuleDigits());
    newLine();
    print("New rule: " + formatRule(state.rule));
    newLine();
    return KeyOutcome::carryOn;
}

KeyOutcome quit(ProgramState&, const Text&) { return KeyOutcome::quit; }

KeyOutcome toggleSingleStep(ProgramState& state, const Text&) {
    state.singleStep = !state.singleStep;
    return KeyOutcome::carryOn;
}

KeyOutcome refillAtDensity(ProgramState& state, const Text& digit) {
    densityFill(state.world, state.world.currentPlane(), digit[0] - '0');
    return KeyOutcome::carryOn;
}

bool takes(const KeyCommand& command, const Text& key) {
    return compareText(command.lowest, key) <= 0 && compareText(key, command.highest) <= 0;
}

} // namespace

const std::array<KeyCommand, 6> keyCommands = {{
    {"r", "r", "R = Reset [also - 0-9 for % fill]", "reset", reset, false},
    {"n", "n", "N = New Rules", "new rule", askNewRule, false},
    {"x", "x", "X = Random Rules", "random rule", drawRandomRule, false},
    {"q", "q", "Q = Quit", "quit", quit, false},
    {"s", "s", "S = Step On/Off", "single-step on/off", toggleSingleStep, true},
    {"0", "9", nullptr, "refill the world at one of ten densities", refillAtDensity, false},
}};

const KeyCommand* findKeyCommand(const Text& key) {
    if (key.empty()) return nullptr; // the usual case: no key was waiting
    for (const KeyCommand& command : keyCommands) {
        if (takes(command, key)) return &command;
    }
    return nullptr;
}
