#include "random_and_time/random.h"

#include <cstring>

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

// The single-precision bits of the seed; copied rather than bit-cast, which the browser build's
// C++ library lacks.
void seedRandom(Number x) {
    const float seed = static_cast<float>(x);
    std::memcpy(&state, &seed, sizeof state);
}
