// A long run of the real program at 600 x 600 with Size 4 rules: keys at random intervals (fills,
// random rules, resets, new rules, single steps, escape sequences), and its window covered and
// uncovered by another window, while its resident memory is sampled from /proc.
// Usage: tessera_soak [seconds, default 180]. Exit code 1 when the program fails or its memory
// grows.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/pty_process.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string answers = "600\r600\r1\r4/3456789/2345\r";
const std::vector<std::string> keys = {
    "0", "1", "5", "7", "9", "x", "X", "r", "ss", "a", "\x1b[A", "\x1b[15~", "\x1bx", "n4/456789/3456\r",
};

// VmRSS or VmHWM of a process in kilobytes, 0 when it cannot be read.
long memoryKilobytes(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    return 0;
}

// A window of the driver's own that lies over the program's window when mapped, so that every
// unmapping makes the server ask the program to repaint.
class Cover {
public:
    Cover() : display_(XOpenDisplay(nullptr)) {
        if (!display_) return;
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        window_ = XCreateWindow(display_, DefaultRootWindow(display_), 250, 250, 700, 700, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    }
    ~Cover() {
        if (display_) XCloseDisplay(display_);
    }
    Cover(const Cover&) = delete;
    Cover& operator=(const Cover&) = delete;

    void toggle() {
        if (!display_) return;
        covered_ = !covered_;
        if (covered_) XMapRaised(display_, window_);
        else XUnmapWindow(display_, window_);
        XFlush(display_);
    }

private:
    Display* display_;
    Window window_ = 0;
    bool covered_ = false;
};

struct Samples {
    long startKb = 0, endKb = 0, peakKb = 0, highestKb = 0;
};

} // namespace

int main(int argc, char** argv) {
    const auto duration = std::chrono::seconds(argc > 1 ? std::atoi(argv[1]) : 180);
    XvfbServer xvfb;
    if (!xvfb.running()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    PtyOptions options;
    options.argv = {TESSERA_EXECUTABLE};
    PtyProcess program(options);
    if (!program.waitForText("World width", 30s)) return 1;
    program.type(answers);
    if (!program.waitForText("Iteration: 2", 60s)) return 1;
    program.readFor(2s); // settled: the first fills done, the worker threads started

    Cover cover;
    std::mt19937 generator(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pickKey(0, keys.size() - 1);
    std::uniform_int_distribution<int> pause(20, 700);
    Samples samples;
    samples.startKb = memoryKilobytes(program.pid(), "VmRSS");
    long keysTyped = 0, covers = 0;
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        program.readFor(std::chrono::milliseconds(pause(generator)));
        if (program.waitForExit(0ms)) break;
        if (generator() % 4 == 0) {
            cover.toggle();
            ++covers;
        } else {
            program.type(keys[pickKey(generator)]);
            ++keysTyped;
        }
        samples.highestKb = std::max(samples.highestKb, memoryKilobytes(program.pid(), "VmRSS"));
    }
    samples.endKb = memoryKilobytes(program.pid(), "VmRSS");
    samples.peakKb = memoryKilobytes(program.pid(), "VmHWM");
    program.type("q");
    const bool cleanExit = exitedWith(program.waitForExit(30s), 0);

    std::printf("soak %llds: %ld keys, %ld cover changes\n", static_cast<long long>(duration.count()), keysTyped,
                covers);
    std::printf("resident memory: start %ld kB, end %ld kB, highest sample %ld kB, peak (VmHWM) %ld kB\n",
                samples.startKb, samples.endKb, samples.highestKb, samples.peakKb);
    std::printf("program %s\n", cleanExit ? "quit cleanly with q" : "did not quit cleanly");
    // Flat: the end within a megabyte of the start.
    const bool flat = samples.endKb - samples.startKb < 1024;
    if (!flat) std::printf("resident memory grew\n");
    return cleanExit && flat ? 0 : 1;
}
