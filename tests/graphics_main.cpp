#include <gtest/gtest.h>

#include "runtime/floating_point.h"

// Reports from inside libX11, which is not instrumented: when a server goes away it releases its
// display lock on the way to the I/O-error handlers in a way the thread checker reads as
// unlocking an unlocked mutex; and at process exit it frees its global locks without any order
// against the detached window threads that used them earlier.
extern "C" const char* __tsan_default_suppressions() {
    return "mutex:libX11.so\nrace:XFreeThreads\n";
}

// setPixel rounds in the floating-point environment the program runs in.
int main(int argc, char** argv) {
    setFloatingPointEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
