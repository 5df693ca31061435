#include <gtest/gtest.h>

#include <hwy/targets.h>

#include "engine/fast_generation_kernel.h"

namespace {

// A build without the browser's 128-bit vectors would quietly fall back to scalar code.
TEST(FastStepInTheBrowser, RunsOnWebAssemblyVectors) {
    EXPECT_STREQ(stepRowsTarget(), hwy::TargetName(HWY_WASM));
}

} // namespace
