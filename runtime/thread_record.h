#pragma once
#include <cstdint>
#include <memory>

// Per-thread run-time record, reached through one thread-local slot.
struct ThreadRecord {
    // Window handle of the thread's attached canvas; 0 means none. It is resolved through the
    // window registry at every drawing operation, so a destroyed window behaves like no canvas.
    std::uint64_t attachedCanvas = 0;

    // The graphics service's cached resolution of attachedCanvas (kept alive while cached), the
    // registry generation it was resolved at (0: not resolved) and the canvas's redraw mode then.
    // Owned and interpreted by graphics/ alone.
    std::shared_ptr<void> canvasCache;
    std::uint64_t canvasCacheGeneration = 0;
    bool canvasCacheBuffered = false;

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
