// The local time of day in the browser: the page's clock, or the time the page froze it at.
#include "runtime/local_time.h"

#include <emscripten/emscripten.h>

#include <atomic>

namespace {
std::atomic<int> frozenMillisecond{-1};

constexpr int millisecondsPerDay = 24 * 60 * 60 * 1000;
} // namespace

// Freezes the clock at a millisecond of the day (0..86399999), for runs that must repeat exactly.
extern "C" EMSCRIPTEN_KEEPALIVE void tesseraFreezeClock(int millisecond) {
    if (millisecond >= 0 && millisecond < millisecondsPerDay) frozenMillisecond.store(millisecond);
}

LocalTimeOfDay readLocalTimeOfDay() {
    int millisecond = frozenMillisecond.load();
    if (millisecond < 0) {
        millisecond = EM_ASM_INT({
            const now = new Date();
            return ((now.getHours() * 60 + now.getMinutes()) * 60 + now.getSeconds()) * 1000 + now.getMilliseconds();
        });
    }
    // A leap second does not exist for the page's clock: seconds are always 0..59.
    return {millisecond / 3600000, millisecond / 60000 % 60, millisecond / 1000 % 60, millisecond % 1000};
}
