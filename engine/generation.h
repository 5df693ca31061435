#pragma once
#include <concepts>

#include "engine/rule.h"
#include "engine/world.h"

// What every generation step offers: generator.step(world, rule) writes the World's next plane
// from its current plane by the rule and leaves the planes unflipped. A compile-time
// requirement, so choosing a step costs the generation loop no indirect call.
template <class Generator>
concept GenerationStep = requires(Generator& generator, World& world, const Rule& rule) {
    { generator.step(world, rule) } -> std::same_as<void>;
};

// The step cell by cell from neighbourhoodSum, countText and findText. Slow, and the reference
// the fast step (FastGenerator) is held to.
struct LiteralGenerator {
    static void step(World& world, const Rule& rule);
};
static_assert(GenerationStep<LiteralGenerator>);
