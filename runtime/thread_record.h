#pragma once
#include <cstdint>
#include <new>

// Per-thread run-time record, reached through one thread-local slot. The services keep their own
// per-thread state; the record tells them when the thread's run-time state goes.
struct ThreadRecord {
    // Runs when the record is released, so that a service that keeps per-thread state (the
    // graphics service's attached canvas) can drop it with the record.
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
