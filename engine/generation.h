#pragma once
#include <cstdint>

#include "engine/world.h"
#include "text/text.h"

// Neighbourhood radius 1..4 and the Survive and Born texts, searched as texts, never parsed.
struct RuleSet {
    std::int32_t size = 0;
    Text survive;
    Text born;
};

inline constexpr std::int32_t blackWhiteRules = 1, shadesOfGreyRules = 2;

// Computes every cell of the World's next plane from its current plane, cell by cell from
// neighbourhoodSum, countText and findText; the planes are not flipped. Slow, and the reference
// the fast step (FastGenerator) is held to.
void literalGenerationStep(World& world, const RuleSet& rules, std::int32_t renderMode, std::int32_t greySpeed);
