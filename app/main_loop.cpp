#include "app/main_loop.h"

#include "app/failure_report.h"
#include "app/key_commands.h"
#include "console/console.h"
#include "engine/fills.h"
#include "text/numbers.h"

namespace {

void countAndShowIteration(ProgramState& state) {
    ++state.iteration;
    printAtLineStart("Iteration: " + countText(static_cast<Number>(state.iteration)));
}

void startNextStep(ProgramState& state) {
    state.generator.startStep(state.world, state.rule);
    state.nextStepStarted = true;
}

// Drawing and the generation step both only read the current plane, so the step runs on the
// worker threads while this thread draws; nothing is shown before redraw, which follows both, so
// the window still shows the generation that was current before the step. The step is often
// under way already, started early by the generation before.
void drawAndComputeNextGeneration(ProgramState& state) {
    if (!state.nextStepStarted) startNextStep(state);
    drawCurrentPlane(state);
    state.generator.finishStep();
    state.nextStepStarted = false;
    state.world.flip();
}

// Lets an early step end before anything else touches the World or the rules; its result is
// thrown away. Written over by the next step, the next plane has no reader until then.
void dropEarlyStep(ProgramState& state) {
    state.generator.finishStep();
    state.nextStepStarted = false;
}

// Polls one key and acts on it. A key that changes the current plane or the rule first drops
// the step started early from them; no key, and any key without a command, change nothing.
KeyOutcome actOnPolledKey(ProgramState& state) {
    const Text key = lowerCase(pollKey());
    const KeyCommand* command = findKeyCommand(key);
    if (command == nullptr) return KeyOutcome::carryOn;
    if (!command->keepsEarlyStep) dropEarlyStep(state);
    return command->act(state, key);
}

// Only s, of all the keys, does anything here: it ends single-step mode.
void waitForStep(ProgramState& state) {
    if (!state.singleStep) return;
    if (lowerCase(waitKey()) == "s") state.singleStep = false;
}

// The window service reports a closed window, and one that never opened, as a canvas width of 0.
Stage endTest(ProgramState& state) {
    if (storeInt32(static_cast<Number>(canvasSize().width)) != 0) return Stage::generation;
    dropEarlyStep(state);
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

namespace {
template <class Cell>
void drawRows(const World& world) {
    // Rows 1..H of the plane, without their wrap-around cells, are the buffer's rows 0..H-1.
    setPixelRows(0, 0, world.row<Cell>(1, world.currentPlane()) + 1, world.rowStride(), world.width(),
                 world.height());
}
} // namespace

void drawCurrentPlane(const ProgramState& state) {
    if (state.world.cellWidth() == CellWidth::oneByte) return drawRows<std::uint8_t>(state.world);
    drawRows<std::uint16_t>(state.world);
}

Stage runGeneration(ProgramState& state) {
    countAndShowIteration(state);
    drawAndComputeNextGeneration(state);
    // The next step reads only the current plane and the rule, which nothing changes before the
    // next generation unless a key does: started now, it runs on the worker threads while this
    // thread waits for the redraw, and a key that would change its input drops it again.
    startNextStep(state);
    redraw();
    switch (actOnPolledKey(state)) {
    case KeyOutcome::quit: return Stage::end;
    case KeyOutcome::newRules: return Stage::ruleDialogue;
    case KeyOutcome::reset: return Stage::reset;
    case KeyOutcome::carryOn: break;
    }
    waitForStep(state);
    return endTest(state);
}
