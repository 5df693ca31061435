#include "runtime/local_time.h"

#include <ctime>

LocalTimeOfDay readLocalTimeOfDay() {
    timespec clock{};
    clock_gettime(CLOCK_REALTIME, &clock);
    std::tm calendar{};
    localtime_r(&clock.tv_sec, &calendar);
    // tm_sec may be 60 in a leap second; capping it keeps the time inside one day.
    return {calendar.tm_hour, calendar.tm_min, calendar.tm_sec < 59 ? calendar.tm_sec : 59,
            static_cast<int>(clock.tv_nsec / 1000000)};
}
