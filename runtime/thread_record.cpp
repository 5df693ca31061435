#include "runtime/thread_record.h"

#include <new>

constinit thread_local ThreadRecord* threadRecordSlot = nullptr;

namespace {
// Frees the record when its thread ends, for threads that never call releaseThreadRecord.
struct ThreadEndRelease {
    ~ThreadEndRelease() { releaseThreadRecord(); }
};
} // namespace

ThreadRecord* setUpThreadRecord() {
    if (!threadRecordSlot) {
        threadRecordSlot = new (std::nothrow) ThreadRecord();
        if (threadRecordSlot) {
            thread_local ThreadEndRelease releaseAtThreadEnd;
            (void)releaseAtThreadEnd;
        }
    }
    return threadRecordSlot;
}

void releaseThreadRecord() {
    if (threadRecordSlot && threadRecordSlot->onRelease) threadRecordSlot->onRelease();
    delete threadRecordSlot;
    threadRecordSlot = nullptr;
}
