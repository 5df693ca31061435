#include "graphics/window_registry.h"

#include <mutex>
#include <new>

void WindowRegistry::insert(WindowRecord record) {
    std::forward_list<WindowRecord> node;
    node.push_front(std::move(record));
    std::lock_guard guard(lock_);
    records_.splice_after(records_.before_begin(), node);
    changed();
}

bool WindowRegistry::insertFrameWithCanvas(WindowHandle frame, WindowHandle canvasWindow,
                                           std::shared_ptr<Canvas> canvas) {
    WindowRecord frameRecord;
    frameRecord.handle = frame;
    frameRecord.flags = WindowRecord::frameWindow;
    WindowRecord canvasRecord;
    canvasRecord.handle = canvasWindow;
    canvasRecord.parent = frame;
    canvasRecord.flags = WindowRecord::childControl;
    canvasRecord.canvas = std::move(canvas);
    try {
        insert(std::move(frameRecord));
        insert(std::move(canvasRecord));
    } catch (const std::bad_alloc&) {
        removeFrame(frame);
        return false;
    }
    return true;
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
