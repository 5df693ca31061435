#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include "bench/step_cases.h"
#include "engine/fast_generation.h"
#include "engine/fast_generation_kernel.h"
#include "tests/support/headless_world.h"

namespace {

using step_cases::busyRule;
using step_cases::fillSeed;
using step_cases::lifeRule;
using step_cases::side;

struct EngineCase {
    Rule rule;
    bool busy;
};

// Arguments: rule (0 = 1/23/3, 1 = the busy Size 4 rule), mode (1 black/white, 2 grey).
EngineCase engineCase(const benchmark::State& state) {
    const bool busy = state.range(0) != 0;
    return {step_cases::inMode(busy ? busyRule : lifeRule, RenderMode(state.range(1))), busy};
}

void labelCase(benchmark::State& state, const EngineCase& c) {
    state.SetLabel(std::string(c.busy ? "size4 busy" : "size1 1/23/3") +
                   (c.rule.mode == RenderMode::shadesOfGrey ? " grey16" : " black/white") + " " + stepRowsTarget());
}

double millisecondsPerGeneration(HeadlessWorld& world, const EngineCase& c, std::int32_t generations,
                                 FastGenerator* generator) {
    const auto start = std::chrono::steady_clock::now();
    if (generator) {
        world.run(generations, c.rule, *generator);
    } else {
        world.run(generations, c.rule, LiteralGenerator{});
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / generations;
}

// The program's step, one generation per iteration, from a fixed reset fill. Third argument:
// threads.
void fastStep(benchmark::State& state) {
    const EngineCase c = engineCase(state);
    HeadlessWorld world(side, side, cellWidthFor(c.rule.mode));
    world.reset(fillSeed);
    FastGenerator generator(unsigned(state.range(2)));
    for (auto _ : state) millisecondsPerGeneration(world, c, 1, &generator);
    labelCase(state, c);
}

// The program's step on small square worlds of Life, by side and threads: where splitting a step
// over the pool starts to pay for waking a worker. Arguments: side, threads.
void fastStepBySide(benchmark::State& state) {
    const auto worldSide = std::int32_t(state.range(0));
    HeadlessWorld world(worldSide, worldSide, CellWidth::oneByte);
    world.reset(fillSeed);
    FastGenerator generator(unsigned(state.range(1)));
    for (auto _ : state) world.run(1, lifeRule, generator);
}

// The cell-by-cell reference. The same fill is then run by the fast step in this very benchmark
// so the reported speed-ups come from one run on one machine state.
void literalStep(benchmark::State& state) {
    const EngineCase c = engineCase(state);
    HeadlessWorld world(side, side, cellWidthFor(c.rule.mode));
    double literalMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        world.reset(fillSeed);
        state.ResumeTiming();
        literalMs = millisecondsPerGeneration(world, c, 1, nullptr);
    }
    for (unsigned threads : {1u, 2u}) {
        FastGenerator generator(threads);
        world.reset(fillSeed);
        millisecondsPerGeneration(world, c, 50, &generator);
        const double fastMs = millisecondsPerGeneration(world, c, 1000, &generator);
        const std::string suffix = threads == 1 ? "_1thread" : "_2threads";
        state.counters["fast_ms" + suffix] = fastMs;
        state.counters["speedup" + suffix] = literalMs / fastMs;
    }
    state.counters["literal_ms"] = literalMs;
    labelCase(state, c);
}

// The memory floor: copying one plane into the other, as every step must at least read one
// plane and write the other.
void copyPlane(benchmark::State& state) {
    HeadlessWorld world(side, side);
    world.reset(fillSeed);
    const void* from = world.world().rowAddress(0, 1);
    void* to = world.world().rowAddress(0, 2);
    const std::size_t bytes = std::size_t(side + 1) * (side + 1) * std::size_t(world.world().cellWidth());
    for (auto _ : state) {
        std::memcpy(to, from, bytes);
        benchmark::ClobberMemory();
    }
}

void engineCases(benchmark::internal::Benchmark* benchmark, bool withThreads) {
    for (int rule : {0, 1}) {
        for (int mode : {int(RenderMode::blackWhite), int(RenderMode::shadesOfGrey)}) {
            if (!withThreads) benchmark->Args({rule, mode});
            for (int threads : {1, 2}) {
                if (withThreads) benchmark->Args({rule, mode, threads});
            }
        }
    }
}

BENCHMARK(fastStep)->Apply([](auto* b) { engineCases(b, true); })->ArgNames({"rule", "mode", "threads"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(fastStepBySide)->ArgsProduct({{32, 64, 128, 192, 256, 384, 600}, {1, 2}})->ArgNames({"side", "threads"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(literalStep)->Apply([](auto* b) { engineCases(b, false); })->ArgNames({"rule", "mode"})
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(copyPlane)->Unit(benchmark::kMicrosecond);

} // namespace
