#include "app/main_routine.h"

#include "app/dialogue.h"
#include "app/main_loop.h"
#include "runtime/errors.h"

int mainRoutine() {
    RoutineActivation activation;
    ProgramState state;

    runOpeningDialogue(state);
    Stage stage = Stage::ruleDialogue;
    while (stage != Stage::end) {
        switch (stage) {
        case Stage::ruleDialogue: stage = runRuleDialogue(state); break;
        case Stage::reset:
            resetWorld(state);
            stage = Stage::generation;
            break;
        case Stage::generation: stage = runGeneration(state); break;
        case Stage::end: break;
        }
    }
    return state.exitCode;
}
