// Generations per second of the real program at 600 x 600: it runs in a pseudo-terminal under a
// private Xvfb, redrawing its window every generation, and "Iteration: N" is read twice a known
// time apart.
// Usage: tessera_e2e_speed [milliseconds per measurement] [program ...]
// Several programs (say a build from before a change and one from after) are measured in turn,
// twice over, so that a busy machine slows them alike and the spread of each shows.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/pty_process.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string busyRule =
    "4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r";

// The last complete "Iteration: N" the terminal shows.
std::optional<long> lastIteration(const std::string& shown) {
    const std::string label = "Iteration: ";
    for (auto at = shown.rfind(label); at != std::string::npos && at > 0; at = shown.rfind(label, at - 1)) {
        const auto digits = at + label.size();
        const auto end = shown.find_first_not_of("0123456789", digits);
        if (end != std::string::npos && end > digits) return std::stol(shown.substr(digits, end - digits));
    }
    return std::nullopt;
}

struct Reading {
    long iteration;
    Clock::time_point at;
};

Reading readIteration(PtyProcess& program) {
    program.readFor(1ms);
    return {lastIteration(program.output()).value_or(0), Clock::now()};
}

std::optional<double> measure(const std::string& executable, const std::string& answers,
                              std::chrono::milliseconds span) {
    PtyOptions options;
    options.argv = {executable};
    PtyProcess program(options);
    if (!program.waitForText("World width", 20s)) return std::nullopt;
    program.type(answers);
    if (!program.waitForText("Iteration: ", 20s)) return std::nullopt;
    program.readFor(500ms); // warm-up: the first fill, caches, the worker pool
    const Reading first = readIteration(program);
    program.readFor(span);
    const Reading second = readIteration(program);
    program.type("q");
    program.waitForExit(10s);
    const double seconds = std::chrono::duration<double>(second.at - first.at).count();
    return double(second.iteration - first.iteration) / seconds;
}

} // namespace

int main(int argc, char** argv) {
    const auto span = std::chrono::milliseconds(argc > 1 ? std::atol(argv[1]) : 3000);
    XvfbServer xvfb;
    if (!xvfb.running()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    const struct {
        const char* name;
        std::string answers;
    } cases[] = {
        {"black/white 1/23/3", "600\r600\r1\r1/23/3\r"},
        {"black/white Size 4 busy rule", "600\r600\r1\r" + busyRule},
        {"grey speed 16 Size 4 busy rule", "600\r600\r2\r16\r" + busyRule},
    };
    std::vector<std::string> programs(argv + std::min(argc, 2), argv + argc);
    if (programs.empty()) programs = {TESSERA_EXECUTABLE};
    constexpr int rounds = 2;
    int failures = 0;
    for (const auto& speedCase : cases) {
        for (int round = 0; round < rounds; ++round) {
            for (const std::string& program : programs) {
                const std::optional<double> rate = measure(program, speedCase.answers, span);
                std::printf("%-32s %-40s ", speedCase.name, program.c_str());
                if (rate) {
                    std::printf("%8.0f generations/s (%.3f ms per generation)\n", *rate, 1000 / *rate);
                } else {
                    std::printf("did not start\n");
                    ++failures;
                }
                std::fflush(stdout);
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
