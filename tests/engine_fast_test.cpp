#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <random>
#include <sstream>
#include <string>

#include "engine/fast_generation.h"
#include "engine/fast_generation_kernel.h"
#include "engine/fills.h"
#include "tests/support/headless_world.h"
#include "random_and_time/random.h"

namespace {

enum class Cells { anyValue, blackWhite, resetFill, nearThresholds, densityDigit };

constexpr RenderMode grey = RenderMode::shadesOfGrey;

struct WorldCase {
    std::int32_t width, height;
    Rule rules;
    RenderMode mode;
    std::int32_t speed;
    Cells cells;
    std::uint32_t seed;
    std::int32_t generations;
    unsigned threads;

    std::string describe() const {
        std::ostringstream text;
        text << width << "x" << height << " " << rules.size << "/" << rules.survive << "/" << rules.born << " mode "
             << int(mode) << " speed " << speed << " cells " << int(cells) << " seed " << seed << " threads "
             << threads;
        return text.str();
    }

    Rule rule() const { return {rules.size, rules.survive, rules.born, mode, speed}; }
};

Text randomRuleText(std::mt19937& random) {
    static const char* const fixed[] = {"", "0", "0123456789", "23", "3", "9876543210", "12 21"};
    static const char extras[] = " /a-.+x";
    if (random() % 4 == 0) return fixed[random() % std::size(fixed)];
    Text text;
    const std::uint32_t length = random() % 14;
    for (std::uint32_t k = 0; k < length; ++k) {
        text += random() % 6 == 0 ? extras[random() % (sizeof extras - 1)] : char('0' + random() % 10);
    }
    return text;
}

std::int32_t randomDimension(std::mt19937& random) {
    static const std::int32_t awkward[] = {10, 11, 15, 16, 17, 31, 32, 33, 47, 63, 64, 65, 127, 129};
    if (random() % 2) return awkward[random() % std::size(awkward)];
    return 10 + std::int32_t(random() % 140);
}

WorldCase randomCase(std::mt19937& random) {
    WorldCase c;
    c.width = randomDimension(random);
    c.height = random() % 4 == 0 ? c.width : randomDimension(random);
    c.rules = {std::int32_t(1 + random() % 4), randomRuleText(random), randomRuleText(random)};
    c.mode = random() % 2 ? RenderMode::shadesOfGrey : RenderMode::blackWhite;
    c.speed = c.mode == RenderMode::shadesOfGrey ? std::int32_t(1 + random() % 128) : 0;
    c.cells = Cells(random() % 5);
    c.seed = random();
    c.generations = std::int32_t(1 + random() % 4);
    c.threads = 1 + random() % 3;
    return c;
}

void fill(HeadlessWorld& headless, const WorldCase& c) {
    std::mt19937 random(c.seed);
    if (c.cells == Cells::resetFill) return headless.reset(c.seed);
    if (c.cells == Cells::densityDigit) {
        seedRandom(c.seed);
        return densityFill(headless.world(), 1, int(c.seed % 10));
    }
    // 256 only ever arises in grey mode, and only grey worlds have room for it.
    static const std::int32_t thresholds[] = {0, 126, 127, 128, 129, 130, 253, 254, 255, 256};
    const bool grey = c.mode == RenderMode::shadesOfGrey;
    const std::size_t thresholdCount = std::size(thresholds) - (grey ? 0 : 1);
    const std::uint32_t liveShare = 1 + random() % 6;
    std::vector<std::int32_t> cells(std::size_t(c.width) * std::size_t(c.height));
    for (auto& value : cells) {
        switch (c.cells) {
        case Cells::anyValue: value = std::int32_t(random() % (grey ? 257 : 256)); break;
        case Cells::blackWhite: value = random() % 8 < liveShare ? 255 : 0; break;
        default: value = thresholds[random() % thresholdCount]; break;
        }
    }
    headless.loadCells(cells);
}

// Runs the case with the literal step on two-byte cells and the fast step on the program's cells
// for the mode side by side, comparing after every generation.
void expectFastEqualsLiteral(const WorldCase& c) {
    HeadlessWorld literal(c.width, c.height), fast(c.width, c.height, cellWidthFor(c.mode));
    fill(literal, c);
    fill(fast, c);
    ASSERT_EQ(literal.cells(), fast.cells());
    FastGenerator generator(c.threads);
    for (std::int32_t generation = 1; generation <= c.generations; ++generation) {
        literal.run(1, c.rule(), LiteralGenerator{});
        fast.run(1, c.rule(), generator);
        ASSERT_EQ(literal.cells(), fast.cells()) << c.describe() << " generation " << generation;
    }
}

TEST(FastStep, EqualsTheLiteralStepOnRandomWorldsAndRules) {
    std::mt19937 random(20240601);
    for (int k = 0; k < 300; ++k) {
        expectFastEqualsLiteral(randomCase(random));
        if (HasFatalFailure()) return;
    }
}

TEST(FastStep, EqualsTheLiteralStepOnLargeWorlds) {
    const WorldCase cases[] = {
        {600, 600, {4, "4", "121314151617181920212223242526272829303132333435363738"}, RenderMode::shadesOfGrey, 16,
         Cells::resetFill, 1, 2, 2},
        {600, 600, {1, "23", "3"}, RenderMode::blackWhite, 0, Cells::resetFill, 2, 3, 2},
        {599, 431, {3, "9876", "0123"}, RenderMode::shadesOfGrey, 128, Cells::anyValue, 3, 2, 3},
        {211, 600, {2, "5 7x", "21"}, RenderMode::blackWhite, 0, Cells::blackWhite, 4, 3, 1},
    };
    for (const WorldCase& c : cases) expectFastEqualsLiteral(c);
}

// Arguments outside what the program produces are handed to the literal step, not mangled.
TEST(FastStep, FallsBackToTheLiteralStepOutsideItsDomain) {
    std::mt19937 random(5);
    for (const auto& [size, mode, speed] : {std::tuple{0, RenderMode::blackWhite, 0}, std::tuple{2, RenderMode::shadesOfGrey, 0},
                                     std::tuple{1, RenderMode::shadesOfGrey, 200}}) {
        WorldCase c{20, 14, {size, "12", "123"}, mode, speed, Cells::anyValue, std::uint32_t(random()), 3, 2};
        expectFastEqualsLiteral(c);
    }
}

TEST(FastStep, EqualsTheLiteralStepOnEveryInstructionSetCompiledIn) {
    for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        ASSERT_STREQ(stepRowsTarget(), hwy::TargetName(target));
        std::mt19937 random(std::uint32_t(target % 1000003));
        for (int k = 0; k < 40 && !HasFatalFailure(); ++k) expectFastEqualsLiteral(randomCase(random));
        hwy::SetSupportedTargetsForTest(0);
        if (HasFatalFailure()) return;
    }
}

TEST(FastStep, ARuleChangeBetweenStepsTakesEffect) {
    HeadlessWorld literal(30, 20), fast(30, 20);
    literal.reset(8);
    fast.reset(8);
    FastGenerator generator(2);
    for (const Rule& rules : {Rule{1, "23", "3", grey, 40}, Rule{1, "23", "36", grey, 40}, Rule{2, "23", "36", grey, 40},
                              Rule{2, "", "36", grey, 40}, Rule{2, "", "", grey, 40}}) {
        literal.run(1, rules, LiteralGenerator{});
        fast.run(1, rules, generator);
        ASSERT_EQ(literal.cells(), fast.cells()) << rules.size << "/" << rules.survive << "/" << rules.born;
    }
}

// The main loop draws the current plane between startStep and finishStep: the plane must read
// the same throughout, and the finished step must still equal the literal one.
TEST(FastStep, TheCurrentPlaneCanBeReadWhileTheStepRuns) {
    const Rule rules{4, "58596061626364656667686970717273", "1213141516171819202122232425", grey, 16};
    for (unsigned threads : {1u, 2u, 3u}) {
        HeadlessWorld literal(300, 200), fast(300, 200);
        literal.reset(17);
        fast.reset(17);
        const std::vector<std::int32_t> before = fast.cells();
        FastGenerator generator(threads);
        generator.setRule(rules);
        generator.startStep(fast.world());
        std::vector<std::int32_t> readDuringStep;
        for (std::int32_t j = 1; j <= 200; ++j)
            for (std::int32_t i = 1; i <= 300; ++i) readDuringStep.push_back(fast.world().cell(i, j, 1));
        generator.finishStep();
        EXPECT_EQ(readDuringStep, before) << threads << " threads";
        literal.run(1, rules, LiteralGenerator{});
        std::vector<std::int32_t> next;
        for (std::int32_t j = 1; j <= 200; ++j)
            for (std::int32_t i = 1; i <= 300; ++i) next.push_back(fast.world().cell(i, j, 2));
        EXPECT_EQ(next, literal.cells()) << threads << " threads";
    }
}
} // namespace
