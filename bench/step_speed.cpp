// The program's step alone (FastGenerator at 600 x 600, no window, no console) in the three cases
// of the program's speed bench, on one thread and on the pool, in milliseconds per step.
// Natively it runs on the widest instruction set the machine offers and again on its best 128-bit
// one (the width of ARM's NEON, older x86 and the browser), forced in this same process; the
// browser build runs it on the browser's vectors, under node or in a page (bench/web_speed.mjs).
// Each figure is the fastest of twelve runs of the given number of steps, after half a second of
// warm-up: runs short enough to fit between the other processes of a busy machine.
// Usage: tessera_step_speed [steps per run, default 25]
#include <hwy/targets.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/step_cases.h"
#include "engine/fast_generation.h"
#include "engine/fast_generation_kernel.h"
#include "tests/support/headless_world.h"

namespace {

struct StepCase {
    const char* name;
    Rule rule;
};

// The instruction sets whose vectors are 128 bits wide.
constexpr std::int64_t vectors128 = HWY_SSSE3 | HWY_SSE4 | HWY_NEON | HWY_PPC8 | HWY_WASM;

// The widest instruction set the machine offers and its best 128-bit one, once each.
std::vector<std::int64_t> targetsMeasured() {
    const std::vector<std::int64_t> offered = hwy::SupportedAndGeneratedTargets();
    std::vector<std::int64_t> measured{offered.front()};
    const auto narrow = std::find_if(offered.begin(), offered.end(), [](std::int64_t t) { return t & vectors128; });
    if (narrow != offered.end() && *narrow != offered.front()) measured.push_back(*narrow);
    return measured;
}

double millisecondsPerStep(HeadlessWorld& world, const Rule& rule, FastGenerator& generator, int steps) {
    const auto start = std::chrono::steady_clock::now();
    world.run(steps, rule, generator);
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / steps;
}

double fastestMillisecondsPerStep(const Rule& rule, unsigned threads, int steps) {
    HeadlessWorld world(step_cases::side, step_cases::side, cellWidthFor(rule.mode));
    world.reset(step_cases::fillSeed);
    FastGenerator generator(threads);
    // Long enough for the JavaScript engine to have compiled the step's loops with its optimising
    // compiler, which it does in the background, later on a busy machine.
    constexpr std::chrono::milliseconds warmUp(500);
    for (const auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < warmUp;)
        world.run(10, rule, generator);
    constexpr int runs = 12;
    double fastest = millisecondsPerStep(world, rule, generator, steps);
    for (int run = 1; run < runs; ++run) fastest = std::min(fastest, millisecondsPerStep(world, rule, generator, steps));
    return fastest;
}

} // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;
    using step_cases::inMode;
    const StepCase cases[] = {
        {"black/white 1/23/3", inMode(step_cases::lifeRule, RenderMode::blackWhite)},
        {"black/white Size 4 busy rule", inMode(step_cases::busyRule, RenderMode::blackWhite)},
        {"grey speed 16 Size 4 busy rule", inMode(step_cases::busyRule, RenderMode::shadesOfGrey)},
    };
    std::vector<unsigned> threadCounts{1};
    if (defaultThreadCount() > 1) threadCounts.push_back(defaultThreadCount());
    for (const StepCase& stepCase : cases) {
        for (const std::int64_t target : targetsMeasured()) {
            hwy::SetSupportedTargetsForTest(target);
            for (const unsigned threads : threadCounts) {
                const double ms = fastestMillisecondsPerStep(stepCase.rule, threads, steps);
                const std::string label = std::string("step alone, ") + stepRowsTarget() +
                                          (target & vectors128 ? " (128-bit), " : " (widest), ") +
                                          (threads == 1 ? std::string("1 thread") : std::to_string(threads) + " threads");
                std::printf("%-32s %-44s %8.3f ms per step\n", stepCase.name, label.c_str(), ms);
                std::fflush(stdout);
            }
            hwy::SetSupportedTargetsForTest(0);
        }
    }
    return 0;
}
