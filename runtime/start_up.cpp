#include "runtime/start_up.h"

#include <unistd.h>

#include "console/console_state.h"
#include "runtime/floating_point.h"
#include "runtime/thread_record.h"
#include "text/random.h"

void startUp(int (*mainRoutine)()) {
    initConsole();
    if (!setUpThreadRecord()) {
        shutDownConsole();
        _exit(threadRecordFailureExitCode);
    }
    resetRandomState();
    setFloatingPointEnvironment();

    const int result = mainRoutine();

    shutDownConsole();
    releaseThreadRecord();
    // The window threads end with the process, without clean-up of their own; ending here
    // directly keeps them from running on into the destruction of static objects.
    _exit(result);
}
