#pragma once
#include <cstdint>
#include <new>

// Per-thread run-time record, reached through one thread-local slot.
struct ThreadRecord {
    // Window handle of the thread's attached canvas; 0 means none. It is resolved through the
    // window registry (redraw, canvasSize and focusWindow revalidate the cached resolution), so a
    // destroyed window behaves like no canvas.
    std::uint64_t attachedCanvas = 0;

    // Runs when the record is released, so that a service that keeps per-thread state derived
    // from this record (the graphics service's resolution of attachedCanvas) can drop it.
    void (*onRelease)() = nullptr;

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
