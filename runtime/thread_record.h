#pragma once
#include <new>

// Per-thread run-time record, reached through one thread-local slot. The services keep their own
// per-thread state and learn from the record when the thread's run-time state goes.
struct ThreadRecord {
    // Runs when the record is released, so that a service's per-thread state (say the thread's
    // attached canvas) goes with it.
    void (*onRelease)() = nullptr;
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
