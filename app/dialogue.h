#pragma once

#include "app/program_state.h"

// The opening section, run once: seeding, banner, world size, window, rule set and grey speed.
void runOpeningDialogue(ProgramState& state);

// The rule section, run at start and after every n key: examples, the rule prompt, the legend,
// World creation and bringing the window forward. Gives the stage to go on with: the reset step,
// or the end when input ended before a rule was given or the World could not be made (both
// reported on standard error, with the exit code set to 1).
Stage runRuleDialogue(ProgramState& state);

// A typed world dimension: below 10 gives 100, above 600 gives 600.
std::int32_t clampWorldDimension(std::int32_t typed);

// A typed grey speed: below 1 gives 16, above 128 gives 128.
std::int32_t clampGreySpeed(std::int32_t typed);
