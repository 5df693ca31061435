#include <gtest/gtest.h>

#include "runtime/floating_point.h"

// The services are tested in the floating-point environment the program runs in: the text
// conversions and setPixel round in it.
int main(int argc, char** argv) {
    setFloatingPointEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
