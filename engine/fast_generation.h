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
    ~FastGenerator() { finishStep(); }
    FastGenerator(const FastGenerator&) = delete;
    FastGenerator& operator=(const FastGenerator&) = delete;

    // Takes the rule for the steps that follow: which counts its texts match is worked out here,
    // once, since a rule changes rarely and a step runs every generation. No step may be under way.
    void setRule(const Rule& rule);

    // Writes the World's next plane from its current one; the planes are not flipped.
    void step(World& world);

    // step in two halves: startStep sets the pool's workers going and returns at once (a step
    // outside the fast domain is done there and then; one too small to be worth splitting is
    // left wholly to finishStep), finishStep helps with the rest and returns once nextPlane is
    // complete, and does nothing when no step is under way. In between, the caller may read
    // currentPlane but touch nothing else of the World.
    void startStep(World& world);
    void finishStep();
    bool stepUnderWay() const { return started_; }

    unsigned threadCount() const { return pool_.threadCount(); }

private:
    void stepBand(std::uint32_t k);

    LiteralGenerator literal_;
    bool insideFastDomain_ = false;
    CountBits surviveBits_{};
    CountBits bornBits_{};
    // The step under way between startStep and finishStep. Declared before the pool, so the
    // workers are gone before the task they call.
    PlaneStep pending_{};
    std::int32_t pendingBands_ = 0;
    bool started_ = false;
    // The step is shared out over the pool; otherwise finishStep does it all on the caller.
    bool split_ = false;
    std::function<void(std::uint32_t)> bandTask_;
    WorkerPool pool_;
    std::vector<std::vector<std::uint16_t>> bandScratch_;
};

// The machine's core count, at least 1: one thread per core keeps a worker stepping while the
// caller draws and waits for the window.
unsigned defaultThreadCount();

static_assert(GenerationStep<FastGenerator>);
