// One generation of the program at 600 x 600, piece by piece and whole. Needs an X display
// (DISPLAY), e.g.
//   xvfb-run -a -s "-screen 0 1280x1024x24" tessera_bench --benchmark_filter=Generation
// The counter is written to /dev/null and keys are polled on an idle pseudo-terminal.
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>

#include "app/main_loop.h"
#include "bench/step_cases.h"
#include "console/console.h"
#include "console/posix/console_state.h"
#include "tests/support/headless_world.h"
#include "text/numbers.h"

namespace {
using step_cases::side;
using Clock = std::chrono::steady_clock;

// The console with its output thrown away and its keyboard an idle pseudo-terminal.
class QuietConsole {
public:
    QuietConsole() {
        if (openpty(&master_, &keyboard_, nullptr, nullptr, nullptr) != 0) return;
        fcntl(keyboard_, F_SETFL, fcntl(keyboard_, F_GETFL) | O_NONBLOCK);
        output_ = open("/dev/null", O_WRONLY | O_CLOEXEC);
        consoleState() = ConsoleState{};
        consoleState().outputHandle = consoleState().screenHandle = output_;
        consoleState().keyboardHandle = keyboard_;
    }
    ~QuietConsole() {
        consoleState() = ConsoleState{};
        for (const int fd : {output_, keyboard_, master_})
            if (fd >= 0) close(fd);
    }
    bool ready() const { return output_ >= 0 && keyboard_ >= 0; }

private:
    int master_ = -1, keyboard_ = -1, output_ = -1;
};

// Arguments: rule (0 = 1/23/3, 1 = the busy Size 4 rule), mode (1 black/white, 2 grey 16).
Rule caseRule(benchmark::State& state) {
    const Rule rule = step_cases::inMode(state.range(0) == 0 ? step_cases::lifeRule : step_cases::busyRule,
                                         RenderMode(state.range(1)));
    state.SetLabel(std::string(state.range(0) == 0 ? "1/23/3" : "size4 busy") +
                   (rule.mode == RenderMode::shadesOfGrey ? " grey16" : " black/white"));
    return rule;
}

// A 600 x 600 window attached in buffered mode, as after the dialogue.
WindowHandle attachProgramWindow() {
    static const WindowHandle window = openWindow("Tessera", 300, 300, side, side, 0);
    if (window) attachWindow(window, 0, bufferedRedraw);
    return window;
}

// The program's state as the dialogue leaves it, and after the reset step.
bool prepareProgram(benchmark::State& state, ProgramState& program) {
    program.window = attachProgramWindow();
    if (!program.window) return false;
    program.width = program.height = side;
    program.simulation.setRule(caseRule(state));
    program.simulation.createWorld(side, side);
    resetWorld(program);
    return true;
}

class PieceTimer {
public:
    explicit PieceTimer(benchmark::State& state) : state_(state), last_(Clock::now()) {}
    // Adds the time since the previous piece ended to the named piece's average in milliseconds.
    void piece(const char* name) {
        const Clock::time_point now = Clock::now();
        state_.counters[name] += std::chrono::duration<double, std::milli>(now - last_).count();
        last_ = now;
    }
private:
    benchmark::State& state_;
    Clock::time_point last_;
};

// The pieces of one generation one after another, in the program's order but with no overlap.
void GenerationPieces(benchmark::State& state) {
    QuietConsole console;
    if (!console.ready() || !attachProgramWindow()) return state.SkipWithError("no X display or no pseudo-terminal");
    const Rule rule = caseRule(state);
    HeadlessWorld headless(side, side, cellWidthFor(rule.mode));
    headless.reset(12345);
    World& world = headless.world();
    FastGenerator generator(defaultThreadCount());
    generator.setRule(rule);
    std::int64_t iteration = 0;
    for (auto _ : state) {
        PieceTimer timer(state);
        printAtLineStart("Iteration: " + countText(static_cast<Number>(++iteration)));
        timer.piece("counter_ms");
        drawCurrentPlane(world);
        timer.piece("drawing_ms");
        generator.step(world);
        world.flip();
        timer.piece("step_ms");
        redraw();
        timer.piece("redraw_ms");
        benchmark::DoNotOptimize(pollKey());
        timer.piece("poll_ms");
        benchmark::DoNotOptimize(canvasSize());
        timer.piece("end_test_ms");
    }
    for (auto& [name, counter] : state.counters) counter.flags = benchmark::Counter::kAvgIterations;
}
BENCHMARK(GenerationPieces)->Args({0, 1})->Args({1, 1})->Args({1, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's own generation, with whatever overlap it makes.
void GenerationWhole(benchmark::State& state) {
    QuietConsole console;
    ProgramState program;
    if (!console.ready() || !prepareProgram(state, program))
        return state.SkipWithError("no X display or no pseudo-terminal");
    for (auto _ : state)
        if (runGeneration(program) != Stage::generation) return state.SkipWithError("the generation ended the run");
    state.counters["generations_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(GenerationWhole)->Args({0, 1})->Args({1, 1})->Args({1, 2})->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
