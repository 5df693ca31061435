#include "runtime/process_end.h"

#include <windows.h>

// TerminateProcess rather than ExitProcess: the latter would let the window threads and the
// C run-time's exit handlers run on while the process comes down.
void endProcess(int code) {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    __builtin_unreachable();
}
