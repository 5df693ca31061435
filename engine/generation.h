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

// Computes every cell of nextPlane from currentPlane. Cells hold 0..256 and greySpeed is 1..128,
// which is all the program ever produces. Rows are shared out over the machine's cores.
void generationStep(World& world, std::int32_t currentPlane, std::int32_t nextPlane, std::int32_t width,
                    std::int32_t height, const RuleSet& rules, std::int32_t renderMode, std::int32_t greySpeed);

// generationStep in two halves, so the caller can draw the current plane while the step runs on
// the other cores: between the two calls it may read currentPlane and nothing else of the World.
void startGenerationStep(World& world, std::int32_t currentPlane, std::int32_t nextPlane, std::int32_t width,
                         std::int32_t height, const RuleSet& rules, std::int32_t renderMode,
                         std::int32_t greySpeed);
void finishGenerationStep();

// The same step cell by cell from neighbourhoodSum, countText and findText: slow, and the
// reference the fast step is held to.
void literalGenerationStep(World& world, std::int32_t currentPlane, std::int32_t nextPlane, std::int32_t width,
                           std::int32_t height, const RuleSet& rules, std::int32_t renderMode,
                           std::int32_t greySpeed);
