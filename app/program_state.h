#pragma once
#include <cstdint>

#include "engine/simulation.h"
#include "graphics/window.h"

// Everything the main routine holds for the whole run: the dialogue's answers, the automaton and
// the state of the generation loop.
struct ProgramState {
    std::int32_t width = 0;
    std::int32_t height = 0;
    WindowHandle window = 0;

    Simulation simulation;
    // Generations since the last reset. 64 bits, so that it counts on instead of wrapping after
    // 2,147,483,647 generations.
    std::int64_t iteration = 0;
    // Wait for a key after every generation.
    bool singleStep = false;

    int exitCode = 0;
};

// The stages of the main routine; the n and r keys jump back to the rule dialogue and the reset.
enum class Stage {
    ruleDialogue,
    reset,
    generation,
    end,
};
