#pragma once
#include <functional>
#include <memory>
#include <string>

#include "engine/fast_generation.h"
#include "engine/generation.h"

// The generation steps every rule test runs against: the literal one and the fast one on a few
// thread counts.
using StepFunction = std::function<void(World&, const RuleSet&, std::int32_t, std::int32_t)>;

struct StepKind {
    std::string name;
    unsigned threads; // 0: the literal step
};

inline StepFunction makeStep(const StepKind& kind) {
    if (kind.threads == 0) return literalGenerationStep;
    auto generator = std::make_shared<FastGenerator>(kind.threads);
    return std::bind_front(&FastGenerator::step, generator);
}

inline const StepKind allStepKinds[] = {{"literal", 0}, {"fast1", 1}, {"fast2", 2}, {"fast3", 3}};
