// Generations per second of the real program at 600 x 600: it runs in a pseudo-terminal under a
// private Xvfb, redrawing its window every generation, and "Iteration: N" is read twice a known
// time apart.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

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

std::optional<double> measure(const std::string& answers, std::chrono::milliseconds span) {
    PtyOptions options;
    options.argv = {TESSERA_EXECUTABLE};
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
    int failures = 0;
    for (const auto& speedCase : cases) {
        const std::optional<double> rate = measure(speedCase.answers, span);
        if (rate) {
            std::printf("%-32s %8.0f generations/s (%.3f ms per generation)\n", speedCase.name, *rate, 1000 / *rate);
        } else {
            std::printf("%-32s did not start\n", speedCase.name);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
