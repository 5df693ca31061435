// The window service's operations: the window thread that runs every platform's window, and the
// calling thread's attachment, refreshes and drawing beside setPixel's inline fast path.
#include "graphics/window.h"

#include <algorithm>
#include <exception>
#include <future>
#include <memory>
#include <new>
#include <thread>

#include "graphics/attached_canvas.h"
#include "graphics/canvas.h"
#include "graphics/platform_window.h"
#include "graphics/window_registry.h"
#include "runtime/errors.h"

namespace {
std::unique_ptr<PlatformWindow> openPlatformWindow(const FrameSettings& settings) {
    try {
        std::unique_ptr<PlatformWindow> window = PlatformWindow::make();
        if (window->open(settings)) return window;
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

// One round of the drawing threads' requests: the requesters wake once the window system has
// carried out everything the round asked for.
void serve(PlatformWindow& window, PaintRequests& requests) {
    const PaintRequests::Round round = requests.takePending();
    if (round.jobs & PaintRequests::focus) window.activate();
    if (round.jobs & PaintRequests::paint) window.putImage();
    window.sync();
    requests.served(round);
}

// Opens the window and enters it with its canvas into the registry, reports the frame's handle
// (0 when either failed), serves requests until the user closes the window, then closes it and
// takes it out of the registry.
void runWindowThread(FrameSettings settings, std::promise<WindowHandle> report) {
    const std::unique_ptr<PlatformWindow> window = openPlatformWindow(settings);
    if (!window ||
        !windowRegistry().insertFrameWithCanvas(window->frame(), window->canvasWindow(), window->canvas())) {
        report.set_value(0);
        return;
    }
    const WindowHandle frame = window->frame();
    report.set_value(frame);
    PaintRequests& requests = window->canvas()->requests();
    while (window->waitForRequests()) serve(*window, requests);
    // Closed before the records go: once the window is seen to be gone, this thread makes no
    // further window-system call that could meet a process already tearing that system down.
    window->close();
    windowRegistry().removeFrame(frame);
    requests.close();
}

template <typename Plot>
void plotOnDrawingCanvas(Plot plot) {
    bool buffered;
    Canvas* canvas = drawingCanvas(buffered);
    if (!canvas) return;
    plot(*canvas);
    if (!buffered) canvas->requests().postAndWait(PaintRequests::paint);
}
} // namespace

WindowHandle openWindow(const Text& caption, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::uint32_t style) {
    std::promise<WindowHandle> report;
    std::future<WindowHandle> handle = report.get_future();
    try {
        std::thread(runWindowThread, FrameSettings{caption, x, y, width, height, style}, std::move(report))
            .detach();
    } catch (const std::exception&) { // no thread or no memory for its settings
        return 0;
    }
    return handle.get();
}

Text windowOpenFailure() { return "the graphic window could not be opened on " + PlatformWindow::whereWindowsOpen(); }

void attachWindow(WindowHandle window, std::int32_t controlNumber, std::int32_t mode) {
    attachCanvas(0);
    const WindowRegistry::FoundCanvas found = windowRegistry().controlCanvas(window, controlNumber);
    if (!found.canvas) {
        raiseError(RunError::noCanvas);
        return;
    }
    found.canvas->setBuffered((mode & bufferedRedraw) != 0);
    attachCanvas(found.handle);
    // Other threads drawing on this canvas take the new mode at their next revalidation.
    windowRegistry().modeChanged();
}

void redraw() {
    if (Canvas* canvas = attachedCanvas()) canvas->requests().postAndWait(PaintRequests::paint);
}

void focusWindow() {
    if (Canvas* canvas = attachedCanvas()) canvas->requests().postAndWait(PaintRequests::focus);
}

CanvasSize canvasSize() {
    if (Canvas* canvas = attachedCanvas()) return {double(canvas->width()), double(canvas->height())};
    return {0, 0};
}

bool windowIsOpen() { return attachedCanvas() != nullptr; }

void setPixelOffTarget(std::int32_t x, std::int32_t y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour); });
}

void setPixelRelative(double x, double y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour, true); });
}

namespace {
// The target is ready only when it has columns, so the bounds test also excludes the rest. A
// function of its own, not a lambda: the undefined-behaviour checker sees a lambda's captured
// reference to the thread-local target as null.
bool rowFitsTarget(const DrawingTarget& target, std::int32_t x, std::int64_t end, std::int32_t y) {
    return x >= 0 && end <= std::int64_t(target.columns) && static_cast<std::uint32_t>(y) < target.rows;
}

template <class Grey>
void setGreyRow(std::int32_t x, std::int32_t y, const Grey* greys, std::int32_t count) {
    if (count <= 0) return;
    const DrawingTarget& target = drawingTarget;
    const std::int64_t end = std::int64_t(x) + count;
    // A thread that has not drawn since attaching has no target yet.
    if (!rowFitsTarget(target, x, end, y)) resolveOnFirstDraw();
    if (rowFitsTarget(target, x, end, y)) {
        // Noted first, then drawn: GCC 12's null check of the thread-local target after the
        // conversion's call can read stale flags and report a null pointer under the sanitizers.
        *target.lastPoint = {std::int32_t(end - 1), y};
        target.format.greyPixels(greys, std::size_t(count),
                                 target.pixels + std::size_t(y) * target.columns + std::size_t(x));
        return;
    }
    // Positions past the largest 32-bit one do not exist, so the row ends before them. The
    // canvas's own plot gives each pixel setPixel's result, on the target or off it.
    const std::int32_t drawn = std::int32_t(std::min<std::int64_t>(count, std::int64_t(INT32_MAX) - x + 1));
    for (std::int32_t k = 0; k < drawn; ++k) setPixelOffTarget(x + k, y, rgb(greys[k], greys[k], greys[k]));
}

bool blockFillsTargetRows(const DrawingTarget& target, std::int32_t x, std::int32_t count, std::int32_t y,
                          std::int32_t rows) {
    return x == 0 && std::size_t(count) == target.columns && y >= 0 &&
           std::int64_t(y) + rows <= std::int64_t(target.rows);
}

template <class Grey>
void setGreyRows(std::int32_t x, std::int32_t y, const Grey* greys, std::ptrdiff_t stride, std::int32_t count,
                 std::int32_t rows) {
    if (count <= 0 || rows <= 0) return;
    const DrawingTarget& target = drawingTarget;
    if (!blockFillsTargetRows(target, x, count, y, rows)) resolveOnFirstDraw();
    if (blockFillsTargetRows(target, x, count, y, rows)) {
        // Noted first, then drawn, as in setGreyRow.
        *target.lastPoint = {count - 1, y + rows - 1};
        target.format.greyPixelRows(greys, stride, std::size_t(count), std::size_t(rows),
                                    target.pixels + std::size_t(y) * target.columns);
        return;
    }
    // Rows past the largest 32-bit position do not exist, as in setGreyRow.
    const std::int32_t drawn = std::int32_t(std::min<std::int64_t>(rows, std::int64_t(INT32_MAX) - y + 1));
    for (std::int32_t k = 0; k < drawn; ++k) setGreyRow(x, y + k, greys + k * stride, count);
}
} // namespace

void setPixelRow(std::int32_t x, std::int32_t y, const std::int32_t* greys, std::int32_t count) {
    setGreyRow(x, y, greys, count);
}

void setPixelRow(std::int32_t x, std::int32_t y, const std::uint16_t* greys, std::int32_t count) {
    setGreyRow(x, y, greys, count);
}

void setPixelRow(std::int32_t x, std::int32_t y, const std::uint8_t* greys, std::int32_t count) {
    setGreyRow(x, y, greys, count);
}

void setPixelRows(std::int32_t x, std::int32_t y, const std::uint16_t* greys, std::ptrdiff_t stride,
                  std::int32_t count, std::int32_t rows) {
    setGreyRows(x, y, greys, stride, count, rows);
}

void setPixelRows(std::int32_t x, std::int32_t y, const std::uint8_t* greys, std::ptrdiff_t stride,
                  std::int32_t count, std::int32_t rows) {
    setGreyRows(x, y, greys, stride, count, rows);
}
