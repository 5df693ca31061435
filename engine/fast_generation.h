#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/count_matches.h"
#include "engine/fast_generation_kernel.h"
#include "engine/generation.h"
#include "engine/worker_pool.h"

// The generation step the program runs: separable box sums, vector rule lookup, rows shared out
// over a pool of threads, so its owner keeps one for the whole run. Its planes are identical to
// LiteralGenerator's for cells 0..256, Size 1..4 and GreySpeed 1..128; other rules are handed to
// the literal step.
class FastGenerator {
public:
    explicit FastGenerator(unsigned threadCount);

    // Writes the World's next plane from its current one; the planes are not flipped.
    void step(World& world, const Rule& rule);

    // step in two halves: startStep sets the pool's workers going and returns at once (a step
    // outside the fast domain is done there and then; one too small to be worth splitting is
    // left wholly to finishStep), finishStep helps with the rest and returns
    // once nextPlane is complete. In between, the caller may read currentPlane but touch nothing
    // else of the World, and the rule must stay unchanged.
    void startStep(World& world, const Rule& rule);
    void finishStep();

    unsigned threadCount() const { return pool_.threadCount(); }

private:
    void refreshCountBits(const Rule& rule);
    void stepBand(std::uint32_t k);

    // The step under way between startStep and finishStep. Declared before the pool, so the
    // workers are gone before the task they call.
    PlaneStep pending_{};
    std::int32_t pendingBands_ = 0;
    bool started_ = false;
    // The step is shared out over the pool; otherwise finishStep does it all on the caller.
    bool split_ = false;
    std::function<void(std::uint32_t)> bandTask_;
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

// The machine's core count, at least 1. On two cores shared with the X server, one thread per
// core ran whole generations about 1.7x as fast as one thread (which leaves no worker to step
// during the redraw) and as one thread more than cores.
unsigned defaultThreadCount();

static_assert(GenerationStep<FastGenerator>);
