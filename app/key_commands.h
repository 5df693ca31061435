#pragma once
#include <array>

#include "app/program_state.h"

// What the main loop does after a key has been acted on.
enum class KeyOutcome {
    carryOn,  // single-step check and end test, then the next generation
    newRules, // back to the rule dialogue
    reset,    // back to the reset step
    quit,     // end at once
};

// One key command: the keys it takes, its line in the legend, what it does, and whether a
// generation step started before the key was read stays valid after it.
struct KeyCommand {
    // Takes every polled key (lower-cased) from lowest to highest in byte-wise order: one letter,
    // or the run of digits.
    const char* lowest;
    const char* highest;
    // Its line in the legend, or nullptr when another command's line announces it.
    const char* legendLine;
    // What it does, in the words of --help.
    const char* summary;
    KeyOutcome (*act)(ProgramState& state, const Text& key);
    // It leaves the current plane and the rule as they are.
    bool keepsEarlyStep;
};

// Every key command, in the legend's order.
extern const std::array<KeyCommand, 6> keyCommands;

// The command that takes a polled key, already lower-cased; nullptr for any other text, the empty
// one included, which does nothing.
const KeyCommand* findKeyCommand(const Text& key);
