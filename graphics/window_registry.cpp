#include "graphics/window_registry.h"

#include <algorithm>
#include <mutex>

#include "graphics/window.h"
#include "runtime/errors.h"

namespace {
constexpr int noCanvasError = 68;
}

void WindowRegistry::insert(WindowRecord record) {
    std::forward_list<WindowRecord> node;
    node.push_front(std::move(record));
    std::lock_guard guard(lock_);
    records_.splice_after(records_.before_begin(), node);
    changed();
}

void WindowRegistry::removeFrame(WindowHandle frame) {
    // Unlinked under the lock, destroyed after it: dropping a canvas may release its memory.
    std::forward_list<WindowRecord> removed;
    std::lock_guard guard(lock_);
    for (auto before = records_.before_begin(); std::next(before) != records_.end();) {
        const WindowRecord& record = *std::next(before);
        if (record.handle == frame || record.parent == frame)
            removed.splice_after(removed.before_begin(), records_, before);
        else
            ++before;
    }
    changed();
}

const WindowRecord* WindowRegistry::find(WindowHandle handle) const {
    for (const WindowRecord& record : records_)
        if (record.handle == handle) return &record;
    return nullptr;
}

WindowRegistry::FoundCanvas WindowRegistry::canvas(WindowHandle handle) {
    std::lock_guard guard(lock_);
    const WindowRecord* record = find(handle);
    if (!record || !record->canvas) return {};
    return {record->handle, record->canvas};
}

WindowRegistry::FoundCanvas WindowRegistry::controlCanvas(WindowHandle window,
                                                           std::int32_t controlNumber) {
    std::lock_guard guard(lock_);
    const WindowRecord* chosen = nullptr;
    for (const WindowRecord& record : records_) {
        if ((record.flags & WindowRecord::childControl) && record.parent == window &&
            record.controlNumber == controlNumber) {
            chosen = &record;
            break;
        }
    }
    if (!chosen) chosen = find(window);
    if (!chosen || !chosen->canvas) return {};
    return {chosen->handle, chosen->canvas};
}

WindowRegistry& windowRegistry() {
    // Never destroyed: a window thread may still remove its records while the process exits.
    static WindowRegistry* registry = new WindowRegistry;
    return *registry;
}

constinit thread_local DrawingTarget drawingTarget;

namespace {
void forgetDrawingTarget() { drawingTarget = {}; }

// Called after every change to the thread's cache, so the target never outlives what it points
// into: the cache holds the canvas, and tells the target when it goes with the thread record.
void aimDrawingTarget(ThreadRecord::CanvasCache& cache) {
    cache.forgetDerived = forgetDrawingTarget;
    auto* canvas = static_cast<Canvas*>(cache.canvas.get());
    if (!canvas || !cache.buffered || !canvas->format().isCommon()) {
        forgetDrawingTarget();
        return;
    }
    drawingTarget = {canvas, canvas->pixels(), canvas->columns(), canvas->rows(),
                     canvas->foregroundPixel()};
}

// setPixel's resolution: the thread's cached canvas as it stands, resolved only when nothing is
// cached yet. redraw, canvasSize and focusWindow revalidate the cache against the registry; a
// window closed in between is noticed there, and until then the pixels land in its buffer, which
// the cache keeps alive and nothing shows any more.
const ThreadRecord& resolvedThreadRecord() {
    const ThreadRecord* record = threadRecordSlot;
    if (record && record->canvasCache.generation != 0) return *record;
    resolveAttachedCanvas();
    return *threadRecordSlot;
}

Canvas* drawingCanvas(bool& buffered) {
    const ThreadRecord* record = &resolvedThreadRecord();
    buffered = record->canvasCache.buffered;
    return static_cast<Canvas*>(record->canvasCache.canvas.get());
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

Canvas* resolveAttachedCanvas() {
    ThreadRecord& record = threadRecord();
    // Stamped with the count read before the lookup, so a change during it forces a new one.
    const std::uint64_t generation = windowRegistryGeneration.load(std::memory_order_acquire);
    std::shared_ptr<Canvas> canvas = windowRegistry().canvas(record.attachedCanvas).canvas;
    Canvas* resolved = canvas.get();
    ThreadRecord::CanvasCache& cache = record.canvasCache;
    cache.buffered = resolved && resolved->buffered();
    cache.canvas = std::move(canvas);
    aimDrawingTarget(cache);
    cache.generation = generation;
    return resolved;
}

void setPixelOffTarget(std::int32_t x, std::int32_t y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour); });
}

void setPixelRow(std::int32_t x, std::int32_t y, const std::int32_t* greys, std::int32_t count) {
    if (count <= 0) return;
    const DrawingTarget& target = drawingTarget;
    const std::int64_t end = std::int64_t(x) + count;
    // The target is ready only when it has columns, so the bounds test also excludes the rest.
    const auto fitsTarget = [&] {
        return x >= 0 && end <= std::int64_t(target.columns) && static_cast<std::uint32_t>(y) < target.rows;
    };
    // A thread that has not drawn since attaching has no target yet.
    if (!fitsTarget()) resolvedThreadRecord();
    if (fitsTarget()) {
        PixelFormat::commonGreyPixels(greys, std::size_t(count),
                                      target.pixels + std::size_t(y) * target.columns + std::size_t(x));
        target.canvas->notePoint(std::int32_t(end - 1), y);
        return;
    }
    // Positions past the largest 32-bit one do not exist, so the row ends before them.
    const std::int32_t drawn = std::int32_t(std::min<std::int64_t>(count, std::int64_t(INT32_MAX) - x + 1));
    for (std::int32_t k = 0; k < drawn; ++k) setPixel(x + k, y, rgb(greys[k], greys[k], greys[k]));
}

void setPixelRelative(double x, double y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour, true); });
}

void attachWindow(WindowHandle window, std::int32_t controlNumber, std::int32_t mode) {
    ThreadRecord& record = threadRecord();
    record.attachedCanvas = 0;
    record.canvasCache.canvas.reset();
    record.canvasCache.generation = 0;
    aimDrawingTarget(record.canvasCache);
    WindowRegistry::FoundCanvas found = windowRegistry().controlCanvas(window, controlNumber);
    if (!found.canvas) {
        raiseError(noCanvasError);
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
