#include "app/key_commands.h"

#include "console/console.h"
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

KeyOutcome reset(ProgramState&, Key) {
    clearCounterLine();
    return KeyOutcome::reset;
}

KeyOutcome askNewRule(ProgramState&, Key) {
    clearCounterLine();
    return KeyOutcome::newRules;
}

// Size 1 and Survive and Born drawn digit by digit (each of 0..8 with probability 4/10), then
// "New rule: " and the rule's notation on a line of its own.
KeyOutcome drawRandomRule(ProgramState& state, Key) {
    Rule rule = state.simulation.rule();
    rule.size = 1;
    storeText(rule.survive, drawRuleDigits());
    storeText(rule.born, drawRuleDigits());
    state.simulation.setRule(rule);
    newLine();
    print("New rule: " + formatRule(rule));
    newLine();
    return KeyOutcome::carryOn;
}

KeyOutcome quit(ProgramState&, Key) { return KeyOutcome::quit; }

KeyOutcome toggleSingleStep(ProgramState& state, Key) {
    state.singleStep = !state.singleStep;
    return KeyOutcome::carryOn;
}

KeyOutcome refillAtDensity(ProgramState& state, Key digit) {
    state.simulation.refill(digit.code() - '0');
    return KeyOutcome::carryOn;
}

// Character keys compare as the one-character texts they are; a key without a character sorts
// below every command's keys.
bool takes(const KeyCommand& command, Key key) {
    return key.isCharacter() && command.lowest <= key.code() && key.code() <= command.highest;
}

constexpr KeyCommand commandTable[] = {
    {'r', 'r', "R = Reset [also - 0-9 for % fill]", "reset", reset},
    {'n', 'n', "N = New Rules", "new rule", askNewRule},
    {'x', 'x', "X = Random Rules", "random rule", drawRandomRule},
    {'q', 'q', "Q = Quit", "quit", quit},
    {'s', 's', "S = Step On/Off", "single-step on/off", toggleSingleStep},
    {'0', '9', nullptr, "refill the world at one of ten densities", refillAtDensity},
};

} // namespace

const std::span<const KeyCommand> keyCommands = commandTable;

const KeyCommand* findKeyCommand(Key key) {
    for (const KeyCommand& command : keyCommands) {
        if (takes(command, key)) return &command;
    }
    return nullptr;
}
