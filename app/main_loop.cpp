#include "app/main_loop.h"

#include "app/failure_report.h"
#include "engine/fills.h"
#include "app/key_commands.h"
#include "console/console.h"
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
    state.generator.startStep(state.world, state.rules, state.renderMode, state.greySpeed);
    drawCurrentPlane(state);
    state.generator.finishStep();
    state.world.flip();
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
    resetFill(state.world);
    state.world.makeCurrent(1);
    state.iteration = 0;
}

void drawCurrentPlane(const ProgramState& state) {
    // Everything the loop reads is copied to locals first: a pixel store could otherwise alias
    // the state's 32-bit fields and force them to be re-read at every pixel.
    const std::int32_t width = state.world.width();
    const std::int32_t height = state.world.height();
    const std::int32_t* firstRow = &state.world.cell(1, 1, state.world.currentPlane());
    const std::int64_t rowStride = state.world.rowStride();
    // Nothing shows before redraw, so the order of the writes cannot be seen: row by row follows
    // both the World's and the buffer's memory order.
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int32_t* row = firstRow + y * rowStride;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int32_t value = row[x];
            setPixel(x, y, rgb(value, value, value));
        }
    }
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
