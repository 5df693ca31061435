#include "random_and_time/time_of_day.h"

#include <cstdint>

#include "runtime/local_time.h"
#include "runtime/system_call.h"

Number timeOfDay() {
    const LocalTimeOfDay now = guardedSystemCall(readLocalTimeOfDay).value;
    const std::int32_t ms = now.hour * 3600000 + now.minute * 60000 + now.second * 1000 + now.millisecond;
    return static_cast<Number>(ms) / 1000;
}
