#pragma once
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

// A path in the temporary folder that no other test, and no other run of this one, uses: tests
// run side by side in processes of their own.
inline std::string uniqueTempPath(const std::string& name) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string unique = std::string(test->test_suite_name()) + "." + test->name() + "-" + name + "-" +
                         std::to_string(getpid());
    for (char& c : unique)
        if (c == '/') c = '_';
    return testing::TempDir() + "tessera-" + unique;
}
