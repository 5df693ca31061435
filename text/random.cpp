#include "text/random.h"

#include <bit>
#include <ctime>

#include "runtime/system_call.h"

namespace {

constexpr std::uint32_t unseededState = 0xFFFFFFFFu;
constexpr std::uint32_t multiplier = 134775813u; // 0x08088405
constexpr Number twoToMinus31 = 1.0L / 2147483648.0L;

std::uint32_t state = unseededState;

} // namespace

std::uint32_t randomState() { return state; }

void resetRandomState() { state = unseededState; }

Number random01() {
    state = state * multiplier + 1u; // mod 2^32 by unsigned wrap-around
    return static_cast<Number>(state >> 1) * twoToMinus31;
}

void seedRandom(Number x) { state = std::bit_cast<std::uint32_t>(static_cast<float>(x)); }

Number timeOfDay() {
    struct LocalTime {
        std::tm calendar{};
        long milliseconds = 0;
    };
    const LocalTime now = guardedSystemCall([] {
        LocalTime local;
        timespec clock{};
        clock_gettime(CLOCK_REALTIME, &clock);
        localtime_r(&clock.tv_sec, &local.calendar);
        local.milliseconds = clock.tv_nsec / 1000000;
        return local;
    }).value;
    // tm_sec may be 60 in a leap second; capping it keeps the result inside one day.
    const int seconds = now.calendar.tm_sec < 59 ? now.calendar.tm_sec : 59;
    const std::int32_t ms = now.calendar.tm_hour * 3600000 + now.calendar.tm_min * 60000 + seconds * 1000 +
                            static_cast<std::int32_t>(now.milliseconds);
    return static_cast<Number>(ms) / 1000;
}
