#pragma once
#include <cstdint>
#include <vector>

#include "app/count_matches.h"
#include "app/generation.h"
#include "app/worker_pool.h"

// The generation step the program runs: separable box sums, vector rule lookup, rows shared out
// over a pool of threads. Its planes are identical to literalGenerationStep's for cells 0..256,
// Size 1..4 and GreySpeed 1..128; other arguments are handed to the literal step.
class FastGenerator {
public:
    explicit FastGenerator(unsigned threadCount);

    void step(World& world, std::int32_t currentPlane, std::int32_t nextPlane, std::int32_t width,
              std::int32_t height, const RuleSet& rules, std::int32_t renderMode, std::int32_t greySpeed);

    unsigned threadCount() const { return pool_.threadCount(); }

private:
    void refreshCountBits(const RuleSet& rules);

    WorkerPool pool_;
    // The count bit sets of the texts they were built from; a rule changes rarely, a step runs
    // every generation.
    bool haveCountBits_ = false;
    Text survive_;
    Text born_;
    CountBits surviveBits_{};
    CountBits bornBits_{};
    std::vector<std::vector<std::uint16_t>> bandScratch_;
};

// The machine's core count, at least 1.
unsigned defaultThreadCount();
