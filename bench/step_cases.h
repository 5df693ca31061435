#pragma once
#include <cstdint>

#include "engine/rule.h"
#include "text/numbers.h"

// The worlds the engine's speed is measured on: 600 x 600 from one reset fill, under Life and
// under a busy Size 4 rule that keeps most of the world changing.
namespace step_cases {
constexpr std::int32_t side = 600;
constexpr Number fillSeed = 12345;
constexpr std::int32_t greySpeed = 16;

inline const Rule lifeRule{1, "23", "3"};
inline const Rule busyRule{4, "58596061626364656667686970717273",
                           "121314151617181920212223242526272829303132333435363738"};

// The rule in a mode, with the grey speed the grey cases use.
inline Rule inMode(Rule rule, RenderMode mode) {
    rule.mode = mode;
    rule.greySpeed = mode == RenderMode::shadesOfGrey ? greySpeed : 0;
    return rule;
}
} // namespace step_cases
