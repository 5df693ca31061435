#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "tests/support/headless_world.h"
#include "tests/engine_step_kinds.h"

namespace {

constexpr std::int32_t side = 12;
constexpr std::int32_t centreX = 6, centreY = 6;

struct Placed {
    std::int32_t dx, dy, value;
};

class RuleStep : public testing::TestWithParam<StepKind> {
protected:
    // The centre cell's value one generation after a world of zeros holding only these cells.
    std::int32_t nextCentre(std::int32_t centre, const std::vector<Placed>& neighbours, Rule rules,
                            RenderMode mode, std::int32_t speed = 16) {
        HeadlessWorld headless(side, side);
        World& world = headless.world();
        world.setCell(centreX, centreY, 1, centre);
        for (const Placed& p : neighbours) world.setCell(centreX + p.dx, centreY + p.dy, 1, p.value);
        rules.mode = mode;
        rules.greySpeed = speed;
        headless.run(1, rules, step_);
        return world.cell(centreX, centreY, headless.world().currentPlane());
    }

    // `count` neighbours of the given value inside the square of radius size.
    static std::vector<Placed> neighbours(std::int32_t size, std::int32_t count, std::int32_t value = 255) {
        std::vector<Placed> placed;
        for (std::int32_t dx = -size; dx <= size; ++dx) {
            for (std::int32_t dy = -size; dy <= size; ++dy) {
                if ((dx || dy) && std::int32_t(placed.size()) < count) placed.push_back({dx, dy, value});
            }
        }
        return placed;
    }

    StepFunction step_ = makeStep(GetParam());
};

TEST_P(RuleStep, CountsMatchAsSubstringsOfTheRuleText) {
    struct Case {
        std::int32_t size;
        const char* born;
        std::int32_t count;
        bool born_;
    };
    const Case cases[] = {
        {2, "12", 1, true},   {2, "12", 2, true},   {2, "12", 12, true},  {2, "12", 21, false},
        {2, "21", 21, true},  {2, "21", 12, false}, {2, "21", 1, true},   {3, "9", 19, false},
        {3, "9", 9, true},    {2, "2 3", 23, false}, {2, "2 3", 3, true}, {2, "32", 23, false},
        {1, "", 0, false},    {1, "0", 0, true},    {4, "80", 80, true},  {4, "8", 80, false}, {4, "8", 8, true},
        {4, "x7a", 7, true},  {4, "+4", 4, true},   {1, "-1", 1, true},   {2, "10", 0, true},
    };
    for (const Case& c : cases) {
        const Rule rules{c.size, "", c.born};
        EXPECT_EQ(nextCentre(0, neighbours(c.size, c.count), rules, RenderMode::blackWhite), c.born_ ? 255 : 0)
            << "Born \"" << c.born << "\", count " << c.count;
    }
}

TEST_P(RuleStep, BlackWhiteLivesOnlyAt255) {
    const Rule survivesAlone{1, "0", ""};
    EXPECT_EQ(nextCentre(255, {}, survivesAlone, RenderMode::blackWhite), 255);
    EXPECT_EQ(nextCentre(254, {}, survivesAlone, RenderMode::blackWhite), 0);
    EXPECT_EQ(nextCentre(256, {}, survivesAlone, RenderMode::blackWhite), 0);
    const Rule emptySurvive{1, "", "012345678"};
    EXPECT_EQ(nextCentre(255, neighbours(1, 3), emptySurvive, RenderMode::blackWhite), 0);
    EXPECT_EQ(nextCentre(254, neighbours(1, 3), emptySurvive, RenderMode::blackWhite), 255);
}

TEST_P(RuleStep, CountIsTruncatedInBlackWhiteAndRoundedInGrey) {
    struct Case {
        std::int32_t sum, blackWhiteCount, greyCount;
    };
    for (const Case& c : {Case{127, 0, 0}, Case{128, 0, 1}, Case{382, 1, 1}, Case{383, 1, 2}, Case{0, 0, 0},
                          Case{254, 0, 1}, Case{255, 1, 1}, Case{510, 2, 2}}) {
        // Two neighbours share the sum so that no cell goes beyond 256.
        const std::vector<Placed> carriers = {{-1, -1, c.sum / 2}, {1, 1, c.sum - c.sum / 2}};
        for (std::int32_t count = 0; count <= 2; ++count) {
            const Rule rules{1, "", Text(1, char('0' + count))};
            EXPECT_EQ(nextCentre(0, carriers, rules, RenderMode::blackWhite) == 255, count == c.blackWhiteCount)
                << "sum " << c.sum << " Born " << count;
            EXPECT_EQ(nextCentre(0, carriers, rules, RenderMode::shadesOfGrey, 16) == 16, count == c.greyCount)
                << "sum " << c.sum << " Born " << count;
        }
    }
}

TEST_P(RuleStep, GreyCellsDriftByTheSpeedWithinTheirLimits) {
    struct Case {
        std::int32_t centre, speed;
        bool matches;
        std::int32_t expected;
    };
    const Case cases[] = {
        {129, 128, false, 1}, {128, 128, true, 256}, {0, 16, false, 0},   {200, 100, true, 255},
        {128, 16, true, 144}, {128, 16, false, 112}, {129, 16, true, 145}, {129, 16, false, 113},
        {256, 16, true, 255}, {256, 16, false, 240}, {10, 16, false, 0},   {250, 1, true, 251},
    };
    for (const Case& c : cases) {
        // With no neighbours the count is 0; "0" in both texts matches, so only the live/dead
        // split decides between Survive and Born. Each case sets one text to match.
        const bool alive = c.centre > 128;
        const Text match = c.matches ? "0" : "";
        const Rule rules{1, alive ? match : "0123456789", alive ? "0123456789" : match};
        EXPECT_EQ(nextCentre(c.centre, {}, rules, RenderMode::shadesOfGrey, c.speed), c.expected)
            << "centre " << c.centre << " speed " << c.speed << (c.matches ? " matching" : " not matching");
    }
}

TEST_P(RuleStep, ACellOf256CountsAsAliveAndAdds256ToItsNeighbours) {
    // 256 alone rounds to a count of 1 where 255 + 1 in two cells would too: both give "1".
    const Rule bornOnOne{1, "", "1"};
    EXPECT_EQ(nextCentre(0, {{1, 0, 256}}, bornOnOne, RenderMode::shadesOfGrey, 16), 16);
    EXPECT_EQ(nextCentre(0, {{1, 0, 256}}, bornOnOne, RenderMode::blackWhite), 255);
    const Rule bornOnTwo{2, "", "2"};
    EXPECT_EQ(nextCentre(0, {{1, 0, 256}, {2, 2, 254}}, bornOnTwo, RenderMode::blackWhite), 255);
    EXPECT_EQ(nextCentre(0, {{1, 0, 255}, {2, 2, 254}}, bornOnTwo, RenderMode::blackWhite), 0);
}

// Live cells of a black/white plane, as (i, j) pairs.
std::set<std::pair<std::int32_t, std::int32_t>> liveCells(HeadlessWorld& headless) {
    std::set<std::pair<std::int32_t, std::int32_t>> live;
    for (std::int32_t i = 1; i <= headless.world().width(); ++i) {
        for (std::int32_t j = 1; j <= headless.world().height(); ++j) {
            const std::int32_t value = headless.world().cell(i, j, headless.world().currentPlane());
            EXPECT_TRUE(value == 0 || value == 255) << value;
            if (value == 255) live.insert({i, j});
        }
    }
    return live;
}

std::set<std::pair<std::int32_t, std::int32_t>> shifted(const std::set<std::pair<std::int32_t, std::int32_t>>& cells,
                                                        std::int32_t by, std::int32_t width, std::int32_t height) {
    std::set<std::pair<std::int32_t, std::int32_t>> result;
    for (auto [i, j] : cells) result.insert({(i - 1 + by) % width + 1, (j - 1 + by) % height + 1});
    return result;
}

TEST_P(RuleStep, SizeOneWith23And3IsTheClassicGameOnTheTorus) {
    constexpr std::int32_t width = 12, height = 15;
    HeadlessWorld headless(width, height);
    // A glider heading to larger i and j, placed against the seams so it crosses them at once.
    const std::set<std::pair<std::int32_t, std::int32_t>> glider = {{12, 14}, {1, 15}, {11, 1}, {12, 1}, {1, 1}};
    for (auto [i, j] : glider) headless.world().setCell(i, j, 1, 255);
    const Rule life{1, "23", "3"};
    for (std::int32_t period = 1; period <= 3; ++period) {
        headless.run(4, life, step_);
        ASSERT_EQ(liveCells(headless), shifted(glider, period, width, height)) << "after " << 4 * period;
    }
    // Back home after it has travelled lcm(12, 15) = 60 cells both ways.
    headless.run(4 * 60 - 12, life, step_);
    EXPECT_EQ(liveCells(headless), glider);
}

INSTANTIATE_TEST_SUITE_P(Steps, RuleStep, testing::ValuesIn(allStepKinds),
                         [](const testing::TestParamInfo<StepKind>& info) { return info.param.name; });

} // namespace
