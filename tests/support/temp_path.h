#pragma once
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

// A file of the given contents at uniqueTempPath(name); its path.
inline std::string writeTempFile(const std::string& name, const std::string& contents) {
    const std::string path = uniqueTempPath(name);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

inline std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
