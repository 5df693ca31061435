#include "app/main_loop.h"

#include "app/failure_report.h"
#include "app/fills.h"
#include "app/key_commands.h"
#include "console/input.h"
#include "console/output.h"
#include "text/numbers.h"

namespace {

void showIteration(const ProgramState& state) {
    locate(0, 1);
    print("Iteration: " + countText(static_cast<Number>(state.iteration)));
}

// Drawing and the generation step both only read the current plane, so the step runs on the
// worker threads while this thread draws; nothing is shown before redraw, which follows both, so
// the window still shows the generation that was current before the step.
void drawAndComputeNextGeneration(ProgramState& state) {
    state.nextPlane = state.currentPlane == 1 ? 2 : 1;
    startGenerationStep(state.world, state.currentPlane, state.nextPlane, state.width, state.height,
                        state.rules, state.renderMode, state.greySpeed);
    drawCurrentPlane(state);
    finishGenerationStep();
    state.currentPlane = state.nextPlane;
}

void waitForStep(ProgramState& state) {
    if (state.stepMode != 1) return;
    if (lowerCase(waitKey()) == "s") state.stepMode = 0;
}

// The window service reports a closed window, and one that never opened, as a canvas width of 0.
Stage endTest(ProgramState& state) {
    if (storeInt32(static_cast<Number>(canvasSize().width)) != 0) return Stage::generation;
    if (state.window == 0) {
        const Text display = displayName();
        reportFailure("the graphic window could not be opened on display \"" + display + "\"" +
                      (display.empty() ? " (DISPLAY is not set)" : ""));
        state.exitCode = failureExitCode;
    }
    return Stage::end;
}

} // namespace

void resetWorld(ProgramState& state) {
    resetFill(state.world, state.width, state.height);
    state.currentPlane = 1;
    state.iteration = 0;
}

void drawCurrentPlane(const ProgramState& state) {
    // Each row of cells is contiguous in the World, as each row of pixels is in the buffer.
    const std::int32_t* firstRow = &cell(state.world, 1, 1, state.currentPlane);
    const std::int64_t rowStride = state.world.dimension[1].step;
    for (std::int32_t y = 0; y < state.height; ++y) setPixelRow(0, y, firstRow + y * rowStride, state.width);
}

Stage runGeneration(ProgramState& state) {
    ++state.iteration;
    showIteration(state);
    drawAndComputeNextGeneration(state);
    redraw();

    switch (actOnKey(state, lowerCase(pollKey()))) {
    case KeyOutcome::quit: return Stage::end;
    case KeyOutcome::newRules: return Stage::ruleDialogue;
    case KeyOutcome::reset: return Stage::reset;
    case KeyOutcome::carryOn: break;
    }
    waitForStep(state);
    return endTest(state);
}
