#include "app/main_loop.h"

#include "app/failure_report.h"
#include "app/key_commands.h"
#include "console/console.h"
#include "text/numbers.h"

namespace {

void countAndShowIteration(ProgramState& state) {
    ++state.iteration;
    printAtLineStart("Iteration: " + countText(static_cast<Number>(state.iteration)));
}

// Polls one key and acts on it; no key, and any key without a command, change nothing.
KeyOutcome actOnPolledKey(ProgramState& state) {
    const Key key = lowerCase(pollKey());
    const KeyCommand* command = findKeyCommand(key);
    return command ? command->act(state, key) : KeyOutcome::carryOn;
}

// Only s, of all the keys, does anything here: it ends single-step mode.
void waitForStep(ProgramState& state) {
    if (!state.singleStep) return;
    if (lowerCase(waitKey()) == Key::character('s')) state.singleStep = false;
}

// A window that never opened ends the run as a failure, said on standard error.
Stage endTest(ProgramState& state) {
    if (windowIsOpen()) return Stage::generation;
    if (state.window == 0) {
        reportFailure(windowOpenFailure());
        state.exitCode = failureExitCode;
    }
    return Stage::end;
}

template <class Cell>
void drawRows(const World& world) {
    // Rows 1..H of the plane, without their wrap-around cells, are the buffer's rows 0..H-1.
    setPixelRows(0, 0, world.row<Cell>(1, world.currentPlane()) + 1, world.rowStride(), world.width(),
                 world.height());
}

} // namespace

void resetWorld(ProgramState& state) {
    state.simulation.reset();
    state.iteration = 0;
}

void drawCurrentPlane(const World& world) {
    if (world.cellWidth() == CellWidth::oneByte) return drawRows<std::uint8_t>(world);
    drawRows<std::uint16_t>(world);
}

// The drawing only reads the current plane, so it runs while the step computes the next one;
// nothing is shown before redraw, so the window still shows the generation that was current
// before the step.
Stage runGeneration(ProgramState& state) {
    countAndShowIteration(state);
    state.simulation.advance(drawCurrentPlane);
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
