#include "runtime/start_up.h"

#include "runtime/floating_point.h"
#include "runtime/process_exit.h"
#include "runtime/thread_record.h"

void startUp(int (*mainRoutine)(), ServiceHooks services) {
    services.prepare();
    if (!setUpThreadRecord()) {
        services.release();
        endProcess(threadRecordFailureExitCode);
    }
    setFloatingPointEnvironment();

    const int result = mainRoutine();

    services.release();
    releaseThreadRecord();
    // The window threads end with the process, without clean-up of their own; ending here
    // directly keeps them from running on into the destruction of static objects.
    endProcess(result);
}
