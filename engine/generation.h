#pragma once
#include <concepts>

#include "engine/rule.h"
#include "engine/world.h"

// What every generation step offers: generator.setRule(rule) takes the rule for the steps that
// follow, prepared once; generator.step(world) writes the World's next plane from its current
// plane by that rule and leaves the planes unflipped. A compile-time requirement, so choosing a
// step costs the generation loop no indirect call.
template <class Generator>
concept GenerationStep = requires(Generator& generator, World& world, const Rule& rule) {
    { generator.setRule(rule) } -> std::same_as<void>;
    { generator.step(world) } -> std::same_as<void>;
};

// The step cell by cell from neighbourhoodSum, countText and findText, searching the rule's texts
// for every cell. Slow, and the reference the fast step (FastGenerator) is held to.
class LiteralGenerator {
public:
    void setRule(const Rule& rule) { rule_ = rule; }
    void step(World& world) const;

private:
    Rule rule_;
};
static_assert(GenerationStep<LiteralGenerator>);
