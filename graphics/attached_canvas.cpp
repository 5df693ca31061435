// The window service's operations on the calling thread's attached canvas. Each thread keeps its
// resolution of the attachment, checked against the registry's generation count, and the
// drawing target that setPixel writes through.
#include <algorithm>
#include <memory>

#include "graphics/window.h"
#include "graphics/window_registry.h"
#include "runtime/errors.h"
#include "runtime/thread_record.h"

constinit thread_local DrawingTarget drawingTarget;

namespace {
// The calling thread's resolution of its thread record's attachedCanvas (kept alive while
// cached), the registry generation it was resolved at (0: not resolved) and the canvas's redraw
// mode then. It goes with the thread, and is dropped when the thread record is released; the
// drawing target, which points into the canvas, is cleared with it.
struct CanvasCache {
    std::shared_ptr<Canvas> canvas;
    std::uint64_t generation = 0;
    bool buffered = false;

    CanvasCache() = default;
    CanvasCache(const CanvasCache&) = delete;
    CanvasCache& operator=(const CanvasCache&) = delete;
    ~CanvasCache();
};
thread_local CanvasCache canvasCache;

void forgetDrawingTarget() { drawingTarget = {}; }

void forgetCanvasCache() {
    canvasCache.canvas.reset();
    canvasCache.generation = 0;
    forgetDrawingTarget();
}

// Called after every change to the thread's cache, so the target never outlives what it points
// into: the cache holds the canvas, and the thread record's release drops both.
void aimDrawingTarget(ThreadRecord& record, const CanvasCache& cache) {
    record.onRelease = forgetCanvasCache;
    Canvas* canvas = cache.canvas.get();
    if (!canvas || !cache.buffered || !canvas->format().isCommon()) {
        forgetDrawingTarget();
        return;
    }
    drawingTarget = {canvas, canvas->pixels(), canvas->columns(), canvas->rows(),
                     canvas->foregroundPixel()};
}

// The calling thread's attached canvas, resolved through the registry and cached until the
// registry changes; nullptr when there is none. Every resolution also re-aims the thread's
// drawing target.
Canvas* resolveAttachedCanvas() {
    ThreadRecord& record = threadRecord();
    // Stamped with the count read before the lookup, so a change during it forces a new one.
    const std::uint64_t generation = windowRegistryGeneration.load(std::memory_order_acquire);
    std::shared_ptr<Canvas> canvas = windowRegistry().canvas(record.attachedCanvas).canvas;
    Canvas* resolved = canvas.get();
    CanvasCache& cache = canvasCache;
    cache.buffered = resolved && resolved->buffered();
    cache.canvas = std::move(canvas);
    aimDrawingTarget(record, cache);
    cache.generation = generation;
    return resolved;
}

// The cached resolution while the registry is unchanged: no lock and no list walk.
Canvas* attachedCanvas() {
    const CanvasCache& cache = canvasCache;
    if (cache.generation == windowRegistryGeneration.load(std::memory_order_acquire)) return cache.canvas.get();
    return resolveAttachedCanvas();
}

// setPixel's resolution: the thread's cached canvas as it stands, resolved only when nothing is
// cached yet. redraw, canvasSize and focusWindow revalidate the cache against the registry; a
// window closed in between is noticed there, and until then the pixels land in its buffer, which
// the cache keeps alive and nothing shows any more.
void resolveOnFirstDraw() {
    if (canvasCache.generation == 0) resolveAttachedCanvas();
}

Canvas* drawingCanvas(bool& buffered) {
    resolveOnFirstDraw();
    buffered = canvasCache.buffered;
    return canvasCache.canvas.get();
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

CanvasCache::~CanvasCache() {
    forgetDrawingTarget();
    // The record may outlive this cache at thread end; its release must not reach back in here.
    if (threadRecordSlot && threadRecordSlot->onRelease == forgetCanvasCache) threadRecordSlot->onRelease = nullptr;
}

void setPixelOffTarget(std::int32_t x, std::int32_t y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour); });
}

namespace {
template <class Grey>
void setGreyRow(std::int32_t x, std::int32_t y, const Grey* greys, std::int32_t count) {
    if (count <= 0) return;
    const DrawingTarget& target = drawingTarget;
    const std::int64_t end = std::int64_t(x) + count;
    // The target is ready only when it has columns, so the bounds test also excludes the rest.
    const auto fitsTarget = [&] {
        return x >= 0 && end <= std::int64_t(target.columns) && static_cast<std::uint32_t>(y) < target.rows;
    };
    // A thread that has not drawn since attaching has no target yet.
    if (!fitsTarget()) resolveOnFirstDraw();
    if (fitsTarget()) {
        PixelFormat::commonGreyPixels(greys, std::size_t(count),
                                      target.pixels + std::size_t(y) * target.columns + std::size_t(x));
        target.canvas->notePoint(std::int32_t(end - 1), y);
        return;
    }
    // Positions past the largest 32-bit one do not exist, so the row ends before them. The
    // canvas's own plot gives each pixel setPixel's result, on the target or off it.
    const std::int32_t drawn = std::int32_t(std::min<std::int64_t>(count, std::int64_t(INT32_MAX) - x + 1));
    for (std::int32_t k = 0; k < drawn; ++k) setPixelOffTarget(x + k, y, rgb(greys[k], greys[k], greys[k]));
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

void setPixelRelative(double x, double y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour, true); });
}

void attachWindow(WindowHandle window, std::int32_t controlNumber, std::int32_t mode) {
    ThreadRecord& record = threadRecord();
    record.attachedCanvas = 0;
    forgetCanvasCache();
    WindowRegistry::FoundCanvas found = windowRegistry().controlCanvas(window, controlNumber);
    if (!found.canvas) {
        raiseError(RunError::noCanvas);
        return;
    }
    found.canvas->setBuffered((mode & bufferedRedraw) != 0);
    record.attachedCanvas = found.handle;
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
