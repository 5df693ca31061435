// The frames the program shows from the frozen seed, for the browser tests, which cannot run the
// engine themselves: expected_frames WIDTH HEIGHT MODE GREYSPEED SIZE/SURVIVE/BORN ACTION...
// Actions: "step" (one generation), "fill:D" (the density fill of digit D), "random-rule" (the
// x key's draw, printed as its notation and used from then on), and "frame", which prints the
// current plane's grey levels, row by row, as one line.
#include <cstdlib>
#include <iostream>
#include <string>

#include "engine/rule.h"
#include "random_and_time/random.h"
#include "tests/support/program_run.h"
#include "text/numbers.h"

namespace {
Rule ruleOf(const std::string& notation, RenderMode mode, int greySpeed) {
    Rule rule{0, "", "", mode, greySpeed};
    parseRule(rule, notation);
    return rule;
}

// Nine digits for Survive, then nine for Born, from the program's generator.
Text randomRule() {
    Text survive, born;
    for (Text* digits : {&survive, &born})
        for (int digit = 0; digit <= 8; ++digit)
            if (integerPart(random01() * 10) > 5) *digits += countText(digit);
    return "1/" + survive + "/" + born;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::cerr << "usage: expected_frames WIDTH HEIGHT MODE GREYSPEED SIZE/SURVIVE/BORN ACTION...\n";
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const RenderMode mode = std::string(argv[3]) == "2" ? RenderMode::shadesOfGrey : RenderMode::blackWhite;
    const int greySpeed = std::atoi(argv[4]);
    ExpectedRun run(width, height, ruleOf(argv[5], mode, greySpeed));
    for (int k = 6; k < argc; ++k) {
        const std::string action = argv[k];
        if (action == "step") {
            run.step();
        } else if (action.starts_with("fill:")) {
            run.densityFill(std::atoi(action.c_str() + 5));
        } else if (action == "random-rule") {
            const Text notation = randomRule();
            std::cout << notation << '\n';
            run.useRule(ruleOf(notation, mode, greySpeed));
        } else if (action == "frame") {
            const char* separator = "";
            for (const std::uint32_t colour : run.frame()) {
                std::cout << separator << (colour & 0xFF);
                separator = " ";
            }
            std::cout << '\n';
        } else {
            std::cerr << "expected_frames: unknown action " << action << '\n';
            return 2;
        }
    }
    return 0;
}
