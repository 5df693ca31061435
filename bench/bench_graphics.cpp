// Window service speed. Needs an X display (DISPLAY), e.g.
//   xvfb-run -a -s "-screen 0 1280x1024x24" tessera_bench --benchmark_filter=Canvas
#include <benchmark/benchmark.h>

#include "app/main_loop.h"
#include "engine/fills.h"
#include "graphics/window.h"

namespace {
constexpr int side = 600;

// One 600 x 600 window for all cases, attached to the benchmark thread in buffered mode.
bool attachSharedWindow() {
    static const WindowHandle window = openWindow("Tessera", 300, 300, side, side, 0);
    if (window) attachWindow(window, 0, bufferedRedraw);
    return window != 0 && canvasSize().width == side;
}

void drawFrameRowByRow(int grey) {
    const ColourValue colour = rgb(grey, grey, grey);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) setPixel(x, y, colour);
}

void drawFrameColumnByColumn(int grey) {
    const ColourValue colour = rgb(grey, grey, grey);
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y) setPixel(x, y, colour);
}

template <void (*drawFrame)(int)>
void CanvasSetPixelFrame(benchmark::State& state) {
    if (!attachSharedWindow()) return state.SkipWithError("no X display to open a window on");
    int grey = 0;
    for (auto _ : state) {
        drawFrame(grey);
        grey = (grey + 1) & 0xFF;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(CanvasSetPixelFrame<drawFrameRowByRow>)->Unit(benchmark::kMillisecond);
BENCHMARK(CanvasSetPixelFrame<drawFrameColumnByColumn>)->Unit(benchmark::kMillisecond);

// The program's own drawing of a 600 x 600 random plane: world reads, grey conversion, setPixel.
void CanvasDrawCurrentPlane(benchmark::State& state) {
    if (!attachSharedWindow()) return state.SkipWithError("no X display to open a window on");
    World world;
    world.create(side, side, CellWidth::oneByte);
    resetFill(world);
    for (auto _ : state) {
        drawCurrentPlane(world);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(CanvasDrawCurrentPlane)->Unit(benchmark::kMillisecond);

void CanvasRedraw(benchmark::State& state) {
    if (!attachSharedWindow()) return state.SkipWithError("no X display to open a window on");
    for (auto _ : state) redraw();
}
BENCHMARK(CanvasRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// A generation's drawing share: every pixel, one redraw, one size query.
void CanvasGenerationFrame(benchmark::State& state) {
    if (!attachSharedWindow()) return state.SkipWithError("no X display to open a window on");
    int grey = 0;
    for (auto _ : state) {
        drawFrameRowByRow(grey);
        redraw();
        benchmark::DoNotOptimize(canvasSize());
        grey = (grey + 1) & 0xFF;
    }
    state.counters["frames_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(CanvasGenerationFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
