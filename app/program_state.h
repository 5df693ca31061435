#pragma once
#include <cstdint>

#include "engine/fast_generation.h"
#include "engine/rule.h"
#include "engine/world.h"
#include "graphics/window.h"

// Everything the main routine holds for the whole run: the dialogue's answers, the World and the
// state of the generation loop.
struct ProgramState {
    std::int32_t width = 0;
    std::int32_t height = 0;
    WindowHandle window = 0;
    Rule rule;

    World world;
    // Declared after the World, so its threads are gone before the World is.
    FastGenerator generator{defaultThreadCount()};
    // Generations since the last reset. 64 bits, so that it counts on instead of wrapping after
    // 2,147,483,647 generations.
    std::int64_t iteration = 0;
    // Wait for a key after every generation.
    bool singleStep = false;
    // The step from currentPlane into nextPlane is already running on the worker threads.
    bool nextStepStarted = false;

    int exitCode = 0;
};

// The stages of the main routine; the n and r keys jump back to the rule dialogue and the reset.
enum class Stage {
    ruleDialogue,
    reset,
    generation,
    end,
};
