#include "graphics/window_registry.h"

#include <mutex>

#include "graphics/window.h"
#include "runtime/errors.h"

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
thread_local CanvasCache canvasCache;

namespace {
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

// setPixel's resolution: the thread's cached canvas as it stands, resolved only when nothing is
// cached yet. redraw, canvasSize and focusWindow revalidate the cache against the registry; a
// window closed in between is noticed there, and until then the pixels land in its buffer, which
// the cache keeps alive and nothing shows any more.
Canvas* drawingCanvas(bool& buffered) {
    if (canvasCache.generation == 0) resolveAttachedCanvas();
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

void setPixelOffTarget(std::int32_t x, std::int32_t y, ColourValue colour) {
    plotOnDrawingCanvas([&](Canvas& canvas) { canvas.plot(x, y, colour); });
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
