#include "runtime/system_call.h"

SpinLock& systemCallLock() {
    static SpinLock lock;
    return lock;
}
