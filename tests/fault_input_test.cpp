// Standard input redirected from data no person would type: binary garbage, NUL bytes, a line of
// a megabyte, data that ends in the middle of the dialogue. Nothing typed is rejected, so the
// defaults apply; input that ends before a rule ends the program with a line on standard error
// and exit code 1.
#include <gtest/gtest.h>

#include <random>

#include "tests/fault_program.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace fault;

// Bytes that are no digit, sign, point, blank, "&", "/", line end or end-of-data mark, so every
// answer made of them reads as no number.
std::string garbage(std::size_t length, unsigned seed) {
    std::string bytes;
    std::mt19937 generator(seed);
    while (bytes.size() < length) {
        const auto byte = static_cast<unsigned char>(generator());
        const bool meaningful = byte == 9 || byte == 10 || byte == 13 || byte == 26 || byte == ' ' ||
                                (byte >= '+' && byte <= '9') || byte == '&';
        if (!meaningful) bytes += static_cast<char>(byte);
    }
    return bytes;
}

struct InputCase {
    std::string name;
    std::string input;
    // The window the answers give; 0 x 0 when the input ends before a rule.
    int width = 0, height = 0;
};

void PrintTo(const InputCase& inputCase, std::ostream* out) { *out << inputCase.name; }

std::vector<InputCase> inputCases() {
    const std::string rule = "1/23/3\n";
    const std::string megabyte(1 << 20, 'x');
    return {
        {"NulBytes", std::string("\0\0\0\n\0 7\n\0\n\0\0\n", 12) + rule, 100, 100},
        {"BinaryGarbage", garbage(700, 1) + "\n" + garbage(300, 2) + "\n" + garbage(50, 3) + "\n" + garbage(4000, 4) + "\n" + rule, 100, 100},
        {"MegabyteLine", "30\n" + megabyte + "\n" + rule, 30, 100},
        {"MegabyteLineWithoutEnd", "30\n40\n" + megabyte},
        {"EmptyInput", ""},
        {"EndsAfterTheWidth", "20\n"},
        {"EndsInsideAnAnswer", "20\n2"},
        {"GarbageWithoutRule", garbage(3000, 5) + "\n" + garbage(100, 6)},
        {"EndOfDataMarkBeforeTheRule", "20\n20\n\x1a" + rule},
    };
}

class InputFault : public testing::TestWithParam<InputCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb_.running());
        ASSERT_TRUE(probe_.connected());
    }

    XvfbServer xvfb_;
    ScreenProbe probe_;
};

TEST_P(InputFault, DefaultsApplyOrTheProgramEndsCleanly) {
    const InputCase& input = GetParam();
    const std::string path = writeTempFile("input", input.input);
    PtyProcess program(programOptions(path));

    if (input.width == 0) {
        const auto status = program.waitForExit(startTimeout);
        EXPECT_TRUE(exitedWith(status, 1)) << describe(status);
        EXPECT_NE(program.output().find(inputEndedMessage), std::string::npos) << program.output();
        EXPECT_EQ(program.output().find("Iteration:"), std::string::npos);
    } else {
        ASSERT_TRUE(program.waitForText("Iteration: 2", startTimeout)) << describe(program.waitForExit(0ms));
        const auto geometry = probe_.geometry(probe_.waitForTopLevel("Tessera", startTimeout));
        ASSERT_TRUE(geometry);
        EXPECT_EQ(geometry->width, input.width);
        EXPECT_EQ(geometry->height, input.height);
        program.type("q");
        const auto status = program.waitForExit(endTimeout);
        EXPECT_TRUE(exitedWith(status, 0)) << describe(status);
    }
    EXPECT_TRUE(modesRestored(program));
}

INSTANTIATE_TEST_SUITE_P(RedirectedInput, InputFault, testing::ValuesIn(inputCases()),
                         [](const testing::TestParamInfo<InputCase>& info) { return info.param.name; });

} // namespace
