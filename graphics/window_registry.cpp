#include "graphics/window_registry.h"

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

Canvas* resolveAttachedCanvas() {
    ThreadRecord& record = threadRecord();
    // Stamped with the count read before the lookup, so a change during it forces a new one.
    const std::uint64_t generation = windowRegistryGeneration.load(std::memory_order_acquire);
    std::shared_ptr<Canvas> canvas = windowRegistry().canvas(record.attachedCanvas).canvas;
    Canvas* resolved = canvas.get();
    record.canvasCacheBuffered = resolved && resolved->buffered();
    record.canvasCache = std::move(canvas);
    record.canvasCacheGeneration = generation;
    return resolved;
}

void attachWindow(WindowHandle window, std::int32_t controlNumber, std::int32_t mode) {
    ThreadRecord& record = threadRecord();
    record.attachedCanvas = 0;
    record.canvasCache.reset();
    record.canvasCacheGeneration = 0;
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
