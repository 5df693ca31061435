#include "engine/simulation.h"

#include "engine/fills.h"

void Simulation::setRule(const Rule& rule) {
    dropEarlyStep();
    rule_ = rule;
    generator_.setRule(rule_);
}

bool Simulation::createWorld(std::int32_t width, std::int32_t height) {
    world_.create(width, height, cellWidthFor(rule_.mode));
    return world_.exists();
}

void Simulation::reset() {
    dropEarlyStep();
    resetFill(world_);
    world_.makeCurrent(1);
}

void Simulation::refill(int digit) {
    dropEarlyStep();
    densityFill(world_, world_.currentPlane(), digit);
}

void Simulation::advance(const std::function<void(const World&)>& alongside) {
    if (!generator_.stepUnderWay()) generator_.startStep(world_);
    alongside(world_);
    generator_.finishStep();
    world_.flip();
    // The next step reads only the current plane and the rule, which nothing changes before the
    // next generation unless a key does.
    generator_.startStep(world_);
}
