// The page's own limits for a 600 x 600 world, measured in the page the program runs in, with its
// terminal widget and canvas (bench/web_speed.mjs loads it in place of the program):
// - the floor: one thread turns a fresh plane of grey cells into the canvas's pixels and puts
//   them into the canvas, synchronously, nothing else, as often as it can, with one-byte cells
//   (the black and white rules') and two-byte ones (the grey rules'); and each conversion alone;
// - each hand-over a generation makes, alone, through the program's own services: the frame
//   (redraw of a buffered window, through its window thread), the counter (the line "Iteration: N"
//   rewritten in place) and the key poll.
// Each figure is written to the terminal as a line "NAME: VALUE UNIT"; the last line is "done".
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "console/console.h"
#include "graphics/canvas.h"
#include "graphics/platform_window.h"
#include "graphics/window.h"
#include "runtime/start_up.h"
#include "text/numbers.h"

namespace {
constexpr std::int32_t side = 600;
constexpr auto span = std::chrono::milliseconds(2000);
using Clock = std::chrono::steady_clock;

// Runs `once` for the span, after a warm-up; the calls a second.
double callsPerSecond(const std::function<void(long)>& once) {
    for (long warmUp = 0; warmUp < 50; ++warmUp) once(warmUp);
    const auto start = Clock::now();
    long calls = 0;
    for (auto now = start; now - start < span; now = Clock::now()) once(++calls);
    return double(calls) / std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const char* name, double value, const char* unit) {
    char line[128];
    std::snprintf(line, sizeof line, "%s: %.4f %s", name, value, unit);
    startFreshLine();
    printLine(line);
}

// Two planes of different greys, drawn in turn, so every frame differs from the last.
std::vector<std::uint8_t> greyPlane(std::uint32_t plane) {
    std::vector<std::uint8_t> cells(std::size_t(side) * side);
    for (std::size_t k = 0; k < cells.size(); ++k) cells[k] = std::uint8_t((k + plane) * 2654435761u >> 24);
    return cells;
}

// Converts each frame from the planes in turn and puts it, as often as it can.
template <class Cell>
double floorFrames(PlatformWindow& window, const std::vector<Cell> (&planes)[2]) {
    Canvas& canvas = *window.canvas();
    return callsPerSecond([&](long number) {
        canvas.format().greyPixelRows(planes[number % 2].data(), side, side, side, canvas.pixels());
        window.putImage();
        window.sync();
    });
}

// The floor and the conversion alone (into memory no other thread reads), of one-byte cells (the
// black and white rules') and of two-byte ones (the grey rules').
void measureFloor(const std::vector<std::uint8_t> (&planes)[2]) {
    const std::vector<std::uint16_t> widePlanes[2] = {{planes[0].begin(), planes[0].end()},
                                                      {planes[1].begin(), planes[1].end()}};
    const std::unique_ptr<PlatformWindow> window = PlatformWindow::make();
    if (!window->open({"floor", 0, 0, side, side, 0})) return report("floor failed", 0, "");
    report("floor", floorFrames(*window, planes), "frames/s");
    report("floor of two-byte cells", floorFrames(*window, widePlanes), "frames/s");
    const PixelFormat format = window->canvas()->format();
    window->close();
    std::vector<std::uint32_t> ownPixels(planes[0].size());
    const auto conversionMs = [&](const auto& cellPlanes) {
        return 1000 / callsPerSecond([&](long number) {
            format.greyPixelRows(cellPlanes[number % 2].data(), side, side, side, ownPixels.data());
        });
    };
    report("conversion", conversionMs(planes), "ms");
    report("conversion of two-byte cells", conversionMs(widePlanes), "ms");
}

void measureHandOvers(const std::vector<std::uint8_t> (&planes)[2]) {
    const WindowHandle frame = openWindow("Tessera", 300, 300, side, side, 0);
    attachWindow(frame, 0, bufferedRedraw);
    setPixelRows(0, 0, planes[0].data(), side, side, side);
    const double redraws = callsPerSecond([](long) { redraw(); });
    const double counters = callsPerSecond([](long number) { printAtLineStart("Iteration: " + countText(number)); });
    const double polls = callsPerSecond([](long) { pollKey(); });
    report("frame hand-over", 1000 / redraws, "ms");
    report("counter hand-over", 1000 / counters, "ms");
    report("key poll hand-over", 1000 / polls, "ms");
}

int measure() {
    const std::vector<std::uint8_t> planes[2] = {greyPlane(0), greyPlane(1)};
    measureFloor(planes);
    measureHandOvers(planes);
    printLine("done");
    return 0;
}
} // namespace

int main() { startUp(measure, {initConsole, shutDownConsole}); }
