#pragma once
#include <cstdint>
#include <memory>

// Per-thread run-time record, reached through one thread-local slot.
struct ThreadRecord {
    // Window handle of the thread's attached canvas; 0 means none. It is resolved through the
    // window registry (redraw, canvasSize and focusWindow revalidate the cached resolution), so a
    // destroyed window behaves like no canvas.
    std::uint64_t attachedCanvas = 0;

    // The graphics service's cached resolution of attachedCanvas (kept alive while cached), the
    // registry generation it was resolved at (0: not resolved) and the canvas's redraw mode then.
    // Owned and interpreted by graphics/ alone, which keeps raw pointers derived from it
    // elsewhere: forgetDerived tells it when the cache goes with its record.
    struct CanvasCache {
        std::shared_ptr<void> canvas;
        std::uint64_t generation = 0;
        bool buffered = false;
        void (*forgetDerived)() = nullptr;

        CanvasCache() = default;
        CanvasCache(const CanvasCache&) = delete;
        CanvasCache& operator=(const CanvasCache&) = delete;
        ~CanvasCache() {
            if (forgetDerived) forgetDerived();
        }
    };
    CanvasCache canvasCache;

    const char* fontName = "MS Sans Serif";
    int fontPointSize = 8;
};

extern constinit thread_local ThreadRecord* threadRecordSlot;

// Creates the calling thread's record if it has none; nullptr when it cannot be allocated.
// The record is released when the thread ends, or earlier by releaseThreadRecord.
ThreadRecord* setUpThreadRecord();
void releaseThreadRecord();

// The calling thread's record, created on first use.
inline ThreadRecord& threadRecord() {
    if (ThreadRecord* record = threadRecordSlot) return *record;
    ThreadRecord* record = setUpThreadRecord();
    if (!record) throw std::bad_alloc();
    return *record;
}
