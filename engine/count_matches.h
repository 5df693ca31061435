#pragma once
#include <array>
#include <cstdint>

#include "text/text.h"

// Which neighbour counts 0..maxCount a rule text matches, as a bit set: bit n % 8 of byte n / 8.
// Sixteen bytes so a vector byte shuffle can use it as a table directly.
inline constexpr std::int32_t maxCount = 80;
using CountBits = std::array<std::uint8_t, 16>;

// True when the decimal text of count occurs in ruleText, exactly as the literal step decides it.
bool countMatches(const Text& ruleText, std::int32_t count);

CountBits matchingCounts(const Text& ruleText);
