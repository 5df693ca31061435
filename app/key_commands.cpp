#include "app/key_commands.h"

#include "console/console.h"
#include "engine/fills.h"
#include "random_and_time/random.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace {

bool isDigitKey(const Text& key) { return compareText("0", key) <= 0 && compareText(key, "9") <= 0; }

// The counter line is blanked with 79 blanks, which leaves the cursor in the last column of an
// 80-column terminal instead of wrapping.
void clearCounterLine() {
    locate(0, 1);
    print(spaces(79));
}

Text drawRuleDigits() {
    Text digits;
    for (int digit = 0; digit <= 8; ++digit) {
        if (integerPart(random01() * 10) > 5) digits = concat(digits, countText(digit));
    }
    return digits;
}

} // namespace

void drawRandomRule(ProgramState& state) {
    state.rules.size = 1;
    storeText(state.rules.survive, drawRuleDigits());
    storeText(state.rules.born, drawRuleDigits());
    newLine();
    print(concat(concat(concat("New rule: 1/", state.rules.survive), "/"), state.rules.born));
    newLine();
}

KeyOutcome actOnKey(ProgramState& state, const Text& key) {
    if (isDigitKey(key)) {
        densityFill(state.world, state.world.currentPlane(), key[0] - '0');
    } else if (key == "s") {
        state.stepMode = state.stepMode == 1 ? 0 : 1;
    } else if (key == "n") {
        clearCounterLine();
        return KeyOutcome::newRules;
    } else if (key == "r") {
        clearCounterLine();
        return KeyOutcome::reset;
    } else if (key == "x") {
        drawRandomRule(state);
    } else if (key == "q") {
        return KeyOutcome::quit;
    }
    return KeyOutcome::carryOn;
}
