#pragma once

#include "app/program_state.h"

// What the main loop does after a key has been acted on.
enum class KeyOutcome {
    carryOn,  // single-step check and end test, then the next generation
    newRules, // back to the rule dialogue
    reset,    // back to the reset step
    quit,     // end at once
};

// Acts on one polled key, already lower-cased; any other text, the empty one included, does nothing.
KeyOutcome actOnKey(ProgramState& state, const Text& key);

// The x key: Size 1 and Survive and Born drawn digit by digit (each of 0..8 with probability 4/10),
// then "New rule: 1/Survive/Born" on a line of its own.
void drawRandomRule(ProgramState& state);
