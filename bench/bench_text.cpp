#include <benchmark/benchmark.h>

#include "random_and_time/random.h"
#include "runtime/floating_point.h"
#include "text/int_array.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace {

void BM_ToNumberDialogueAnswer(benchmark::State& state) {
    setFloatingPointEnvironment();
    const Text answer = "  600";
    for (auto _ : state) benchmark::DoNotOptimize(toNumber(answer));
}
BENCHMARK(BM_ToNumberDialogueAnswer);

void BM_ToNumberLongDecimal(benchmark::State& state) {
    setFloatingPointEnvironment();
    const Text text = "-1234567.890123456789e-42";
    for (auto _ : state) benchmark::DoNotOptimize(toNumber(text));
}
BENCHMARK(BM_ToNumberLongDecimal);

void BM_ToNumberRadix(benchmark::State& state) {
    setFloatingPointEnvironment();
    const Text text = "&HFFFF";
    for (auto _ : state) benchmark::DoNotOptimize(toNumber(text));
}
BENCHMARK(BM_ToNumberRadix);

// The rule step's use: one neighbour count 0..80 per cell.
void BM_CountTextNeighbourCounts(benchmark::State& state) {
    setFloatingPointEnvironment();
    int count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(countText(count));
        count = count == 80 ? 0 : count + 1;
    }
}
BENCHMARK(BM_CountTextNeighbourCounts);

void BM_CountTextFraction(benchmark::State& state) {
    setFloatingPointEnvironment();
    const Number value = 1.0L / 3;
    for (auto _ : state) benchmark::DoNotOptimize(countText(value));
}
BENCHMARK(BM_CountTextFraction);

void BM_CountTextExponentLayout(benchmark::State& state) {
    setFloatingPointEnvironment();
    const Number value = 1.23456789012346e20L;
    for (auto _ : state) benchmark::DoNotOptimize(countText(value));
}
BENCHMARK(BM_CountTextExponentLayout);

void BM_StoreInt32(benchmark::State& state) {
    setFloatingPointEnvironment();
    Number value = 0.5L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(storeInt32(value));
        value += 1.25L;
    }
}
BENCHMARK(BM_StoreInt32);

// The fills' use: a random cell value 0..255.
void BM_IntegerPartOfRandomCell(benchmark::State& state) {
    setFloatingPointEnvironment();
    seedRandom(43200);
    for (auto _ : state) benchmark::DoNotOptimize(integerPart(random01() * 256));
}
BENCHMARK(BM_IntegerPartOfRandomCell);

// A count looked up in a typical Survive or Born digit string, found and not found.
void BM_FindTextRuleDigits(benchmark::State& state) {
    const Text rule = "2345678";
    const Text found = "6";
    const Text missing = "1";
    for (auto _ : state) {
        benchmark::DoNotOptimize(findText(1, rule, found));
        benchmark::DoNotOptimize(findText(1, rule, missing));
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_FindTextRuleDigits);

void BM_FindTextTwoDigitCount(benchmark::State& state) {
    const Text rule = "1234567891011121314151617181920";
    const Text count = "20";
    for (auto _ : state) benchmark::DoNotOptimize(findText(1, rule, count));
}
BENCHMARK(BM_FindTextTwoDigitCount);

void BM_Random01(benchmark::State& state) {
    setFloatingPointEnvironment();
    seedRandom(43200);
    for (auto _ : state) benchmark::DoNotOptimize(random01());
}
BENCHMARK(BM_Random01);

void BM_ElementAtWorld(benchmark::State& state) {
    IntArray world;
    createArray(world, IntArray::releaseAtRoutineEnd, 10, 4, {{0, 600}, {0, 600}, {0, 2}});
    std::int32_t i = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(elementAt(world, {i, 300, 1}));
        i = i == 600 ? 1 : i + 1;
    }
    releaseArray(world);
}
BENCHMARK(BM_ElementAtWorld);

} // namespace
