#include "engine/count_matches.h"

#include "text/numbers.h"
#include "text/strings.h"

bool countMatches(const Text& ruleText, std::int32_t count) {
    return findText(1, ruleText, countText(count)) != 0;
}

CountBits matchingCounts(const Text& ruleText) {
    CountBits bits{};
    for (std::int32_t count = 0; count <= maxCount; ++count) {
        if (countMatches(ruleText, count)) bits[count >> 3] |= std::uint8_t(1u << (count & 7));
    }
    return bits;
}
