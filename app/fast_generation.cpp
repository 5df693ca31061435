#include "app/fast_generation.h"

#include <algorithm>
#include <thread>

#include "app/fast_generation_kernel.h"

namespace {
// More bands than threads lets a thread that finishes early take over work; each band costs
// one extra full column sum, so not many more.
constexpr std::int32_t bandsPerThread = 2;

bool insideFastDomain(std::int32_t size, std::int32_t renderMode, std::int32_t greySpeed) {
    const bool sizeFits = size >= 1 && size <= 4;
    const bool speedFits = renderMode != shadesOfGreyRules || (greySpeed >= 1 && greySpeed <= 128);
    return sizeFits && speedFits;
}

// First row of band k when `height` rows are cut into `bands` nearly equal bands.
std::int32_t bandStart(std::int32_t k, std::int32_t bands, std::int32_t height) {
    return 1 + std::int32_t(std::int64_t(k) * height / bands);
}
} // namespace

unsigned defaultThreadCount() { return std::max(1u, std::thread::hardware_concurrency()); }

FastGenerator::FastGenerator(unsigned threadCount) : pool_(threadCount) {}

void FastGenerator::refreshCountBits(const RuleSet& rules) {
    if (haveCountBits_ && rules.survive == survive_ && rules.born == born_) return;
    survive_ = rules.survive;
    born_ = rules.born;
    surviveBits_ = matchingCounts(survive_);
    bornBits_ = matchingCounts(born_);
    haveCountBits_ = true;
}

void FastGenerator::step(World& world, std::int32_t currentPlane, std::int32_t nextPlane, std::int32_t width,
                         std::int32_t height, const RuleSet& rules, std::int32_t renderMode,
                         std::int32_t greySpeed) {
    if (!insideFastDomain(rules.size, renderMode, greySpeed)) {
        literalGenerationStep(world, currentPlane, nextPlane, width, height, rules, renderMode, greySpeed);
        return;
    }
    refreshCountBits(rules);
    PlaneStep step;
    step.current = &cell(world, 0, 0, currentPlane);
    step.next = &cell(world, 0, 0, nextPlane);
    step.rowStride = width + 1;
    step.width = width;
    step.height = height;
    step.size = rules.size;
    step.grey = renderMode == shadesOfGreyRules;
    step.greySpeed = greySpeed;
    step.surviveBits = surviveBits_.data();
    step.bornBits = bornBits_.data();

    const std::int32_t threads = std::int32_t(threadCount());
    const std::int32_t bands = std::min(height, threads == 1 ? 1 : threads * bandsPerThread);
    bandScratch_.resize(std::size_t(bands));
    for (auto& scratch : bandScratch_) scratch.resize(bandScratchLength(width));
    pool_.run(std::uint32_t(bands), [&](std::uint32_t k) {
        const std::int32_t band = std::int32_t(k);
        stepRows(step, bandStart(band, bands, height), bandStart(band + 1, bands, height) - 1,
                 bandScratch_[k].data());
    });
}
