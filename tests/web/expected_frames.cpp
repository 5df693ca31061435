// The frames the program shows from the frozen seed, for the browser tests, which cannot run the
// engine themselves: expected_frames WIDTH HEIGHT MODE GREYSPEED SIZE/SURVIVE/BORN ACTION...
// Actions: "step" (one generation), "fill:D" (the density fill of digit D), "refill" (the reset
// step's fill, after r or a new rule), "rule:NOTATION" (a rule typed after n), "random-rule" (the x
// key's draw, printed as its notation and used from then on), and "frame", which prints the
// current plane's grey levels, row by row, as one line.
#include <cstdlib>
#include <iostream>
#include <string>

#include "tests/support/program_run.h"

int main(int argc, char** argv) {
    if (argc < 6) {
        std::cerr << "usage: expected_frames WIDTH HEIGHT MODE GREYSPEED SIZE/SURVIVE/BORN ACTION...\n";
        return 2;
    }
    const RenderMode mode = std::string(argv[3]) == "2" ? RenderMode::shadesOfGrey : RenderMode::blackWhite;
    Rule rule{0, "", "", mode, std::atoi(argv[4])};
    parseRule(rule, argv[5]);
    ExpectedRun run(std::atoi(argv[1]), std::atoi(argv[2]), rule);
    for (int k = 6; k < argc; ++k) {
        const std::string action = argv[k];
        if (action == "step") {
            run.step();
        } else if (action.starts_with("fill:")) {
            run.densityFill(std::atoi(action.c_str() + 5));
        } else if (action == "refill") {
            run.refill();
        } else if (action.starts_with("rule:")) {
            run.useRule(action.substr(5));
        } else if (action == "random-rule") {
            const std::string notation = run.drawRandomRule();
            std::cout << notation << '\n';
            run.useRule(notation);
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
