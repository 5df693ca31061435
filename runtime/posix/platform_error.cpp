#include <cerrno>

#include "runtime/system_call.h"

int lastPlatformError() { return errno; }

void clearPlatformError() { errno = 0; }
