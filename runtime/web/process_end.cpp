// The program's end in the browser: the page's thread ends the run-time, every worker with it,
// and tells the page (Module.onExit), while the calling worker unwinds at once. The C library's
// exits would end only the calling worker's part, or throw the exit into the page's thread.
#include "runtime/process_end.h"

#include <emscripten/emscripten.h>

void endProcess(int exitCode) {
    EM_ASM({
        exitOnMainThread($0);
        throw 'unwind';
    }, exitCode);
    __builtin_unreachable();
}
