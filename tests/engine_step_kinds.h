#pragma once
#include <memory>
#include <ostream>
#include <string>

#include "engine/fast_generation.h"
#include "engine/generation.h"

// The generation steps every rule test runs against: the literal one and the fast one on a few
// thread counts.
class StepFunction {
public:
    explicit StepFunction(std::shared_ptr<FastGenerator> fast) : fast_(std::move(fast)) {}
    void setRule(const Rule& rule) {
        if (fast_) return fast_->setRule(rule);
        literal_.setRule(rule);
    }
    void step(World& world) {
        if (fast_) return fast_->step(world);
        literal_.step(world);
    }

private:
    std::shared_ptr<FastGenerator> fast_; // null: the literal step
    LiteralGenerator literal_;
};

struct StepKind {
    std::string name;
    unsigned threads; // 0: the literal step
};

// Names the parameter in test listings, which would otherwise show its raw bytes.
inline void PrintTo(const StepKind& kind, std::ostream* out) { *out << kind.name; }

inline StepFunction makeStep(const StepKind& kind) {
    if (kind.threads == 0) return StepFunction(nullptr);
    return StepFunction(std::make_shared<FastGenerator>(kind.threads));
}

inline const StepKind allStepKinds[] = {{"literal", 0}, {"fast1", 1}, {"fast2", 2}, {"fast3", 3}};
