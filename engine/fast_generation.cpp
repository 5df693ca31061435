#include "engine/fast_generation.h"

#include <algorithm>
#include <thread>

namespace {
// More bands than threads lets a thread that finishes early take over work; each band costs
// one extra full column sum, so not many more.
constexpr std::int32_t bandsPerThread = 2;

// Steps of fewer cells run on the caller alone: waking a worker costs about as much as a step this
// small (bench: fastStepBySide), while a larger step split over the pool runs beside the redraw.
constexpr std::int64_t cellsWorthSplitting = 128 * 128;

bool insideFastDomain(const Rule& rule) {
    const bool sizeFits = rule.size >= 1 && rule.size <= 4;
    const bool speedFits = rule.mode != RenderMode::shadesOfGrey || (rule.greySpeed >= 1 && rule.greySpeed <= 128);
    return sizeFits && speedFits;
}

// First row of band k when `height` rows are cut into `bands` nearly equal bands.
std::int32_t bandStart(std::int32_t k, std::int32_t bands, std::int32_t height) {
    return 1 + std::int32_t(std::int64_t(k) * height / bands);
}
} // namespace

unsigned defaultThreadCount() { return std::max(1u, std::thread::hardware_concurrency()); }

FastGenerator::FastGenerator(unsigned threadCount)
    : bandTask_([this](std::uint32_t k) { stepBand(k); }), pool_(threadCount) {}

void FastGenerator::setRule(const Rule& rule) {
    literal_.setRule(rule);
    insideFastDomain_ = insideFastDomain(rule);
    surviveBits_ = matchingCounts(rule.survive);
    bornBits_ = matchingCounts(rule.born);
    pending_.size = rule.size;
    pending_.grey = rule.mode == RenderMode::shadesOfGrey;
    pending_.greySpeed = rule.greySpeed;
    pending_.surviveBits = surviveBits_.data();
    pending_.bornBits = bornBits_.data();
}

void FastGenerator::step(World& world) {
    startStep(world);
    finishStep();
}

void FastGenerator::startStep(World& world) {
    started_ = true;
    if (!insideFastDomain_) {
        literal_.step(world);
        return;
    }
    const std::int32_t width = world.width();
    const std::int32_t height = world.height();
    pending_.current = world.rowAddress(0, world.currentPlane());
    pending_.next = world.rowAddress(0, world.nextPlane());
    pending_.cellWidth = world.cellWidth();
    pending_.rowStride = std::int32_t(world.rowStride());
    pending_.width = width;
    pending_.height = height;

    const std::int32_t threads = std::int32_t(threadCount());
    split_ = threads > 1 && std::int64_t(width) * height >= cellsWorthSplitting;
    pendingBands_ = split_ ? std::min(height, threads * bandsPerThread) : 1;
    bandScratch_.resize(std::size_t(pendingBands_));
    for (auto& scratch : bandScratch_) scratch.resize(bandScratchLength(width));
    if (split_) pool_.start(std::uint32_t(pendingBands_), bandTask_);
}

void FastGenerator::finishStep() {
    if (!started_) return;
    started_ = false;
    if (!insideFastDomain_) return; // done there and then by startStep
    if (split_) {
        pool_.finish();
    } else {
        stepBand(0);
    }
}

void FastGenerator::stepBand(std::uint32_t k) {
    const std::int32_t band = std::int32_t(k);
    stepRows(pending_, bandStart(band, pendingBands_, pending_.height),
             bandStart(band + 1, pendingBands_, pending_.height) - 1, bandScratch_[k].data());
}
