#include "runtime/start_up.h"

#include "console/console_state.h"
#include "runtime/floating_point.h"
#include "runtime/process_end.h"
#include "runtime/thread_record.h"
#include "text/random.h"

void startUp(int (*mainRoutine)()) {
    initConsole();
    if (!setUpThreadRecord()) {
        shutDownConsole();
        endProcess(threadRecordFailureExitCode);
    }
    resetRandomState();
    setFloatingPointEnvironment();

    const int result = mainRoutine();

    shutDownConsole();
    releaseThreadRecord();
    // The window threads end with the process, without clean-up of their own.
    endProcess(result);
}
