#pragma once
#include <span>

#include "app/program_state.h"
#include "console/key.h"

// What the main loop does after a key has been acted on.
enum class KeyOutcome {
    carryOn,  // single-step check and end test, then the next generation
    newRules, // back to the rule dialogue
    reset,    // back to the reset step
    quit,     // end at once
};

// One key command: the keys it takes, its line in the legend, and what it does.
struct KeyCommand {
    // Takes every character key from lowest to highest: one letter, or the run of digits.
    unsigned char lowest;
    unsigned char highest;
    // Its line in the legend, or nullptr when another command's line announces it.
    const char* legendLine;
    // What it does, in the words of --help.
    const char* summary;
    KeyOutcome (*act)(ProgramState& state, Key key);
};

// Every key command, in the legend's order.
extern const std::span<const KeyCommand> keyCommands;

// The command that takes a key, already lower-cased; nullptr for any other key, and for no key,
// which do nothing.
const KeyCommand* findKeyCommand(Key key);
