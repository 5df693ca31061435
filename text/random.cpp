#include "text/random.h"

#include <bit>

#include "runtime/local_time.h"
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
    const LocalTimeOfDay now = guardedSystemCall(readLocalTimeOfDay).value;
    const std::int32_t ms = now.hour * 3600000 + now.minute * 60000 + now.second * 1000 + now.millisecond;
    return static_cast<Number>(ms) / 1000;
}
