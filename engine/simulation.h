#pragma once
#include <cstdint>
#include <functional>

#include "engine/fast_generation.h"
#include "engine/rule.h"
#include "engine/world.h"

// The automaton as the program runs it: the World, the rule in force and the generation step.
// Each step is started early, on the worker threads, as soon as the generation before it is
// current, so it runs while the caller shows that generation; whatever changes the World or the
// rule lets such a step end first and throws its result away.
class Simulation {
public:
    explicit Simulation(unsigned threadCount = defaultThreadCount()) : generator_(threadCount) {}

    const World& world() const { return world_; }
    const Rule& rule() const { return rule_; }

    // The rule for the steps from now on; the World's cell width follows its mode.
    void setRule(const Rule& rule);
    // Creates the World zero-filled for the rule's mode, unless it exists already. False when it
    // could not be made (recorded by raiseError).
    bool createWorld(std::int32_t width, std::int32_t height);
    // The reset step: plane 1 refilled at random and made current.
    void reset();
    // Refills the current plane at the density of a digit key 0..9.
    void refill(int digit);

    // One generation: the next plane is computed while `alongside` runs on this thread (it may
    // read the current plane, and nothing else of the Simulation), then it becomes current.
    void advance(const std::function<void(const World&)>& alongside);

private:
    void dropEarlyStep() { generator_.finishStep(); }

    World world_;
    Rule rule_;
    // Declared after the World, so its threads are gone before the World is.
    FastGenerator generator_;
};
