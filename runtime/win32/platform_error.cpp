#include <windows.h>

#include "runtime/system_call.h"

int lastPlatformError() { return static_cast<int>(GetLastError()); }

void clearPlatformError() { SetLastError(ERROR_SUCCESS); }
