#include <gtest/gtest.h>

#include "app/dialogue.h"
#include "engine/rule.h"
#include "text/numbers.h"

namespace {

std::int32_t typedNumber(const char* answer) { return storeInt32(toNumber(answer)); }

TEST(Dialogue, WorldDimensionsAreClampedWithOneHundredBelowTen) {
    const struct {
        const char* answer;
        std::int32_t dimension;
    } cases[] = {{"", 100},    {"abc", 100}, {"0", 100},   {"9", 100},      {"9.4", 100},
                 {"9.5", 10},  {"10", 10},   {"10.5", 10}, {"600.4", 600},  {"601", 600},
                 {"5000", 600}, {"-7", 100}, {"&H64", 100},
                 // Beyond 32 bits the store gives the most negative value, so the answer counts as small.
                 {"1e10", 100}};
    for (const auto& c : cases) EXPECT_EQ(clampWorldDimension(typedNumber(c.answer)), c.dimension) << c.answer;
}

TEST(Dialogue, GreySpeedDefaultsToSixteenAndStopsAt128) {
    const struct {
        const char* answer;
        std::int32_t speed;
    } cases[] = {{"", 16}, {"0", 16}, {"-5", 16}, {"0.5", 16}, {"1", 1}, {"1.5", 2}, {"128", 128}, {"129", 128}};
    for (const auto& c : cases) EXPECT_EQ(clampGreySpeed(typedNumber(c.answer)), c.speed) << c.answer;
}

TEST(Dialogue, RuleAnswerSplitsIntoSizeSurviveAndBorn) {
    const struct {
        const char* answer;
        std::int32_t size;
        const char* survive;
        const char* born;
    } cases[] = {
        {"1/23/3", 1, "23", "3"}, {"23/3", 4, "3", ""},     {"/", 1, "", ""},
        {"0/2/3", 1, "2", "3"},   {"abc/2/3", 1, "2", "3"}, {"9/2/3", 4, "2", "3"},
        {"1/23/3/45", 1, "23", "3"}, {"1 / 23 / 3", 1, " 23 ", " 3"}, {"2.5/1/2", 2, "1", "2"},
    };
    for (const auto& c : cases) {
        Rule rules;
        parseRule(rules, c.answer);
        EXPECT_EQ(rules.size, c.size) << c.answer;
        EXPECT_EQ(rules.survive, c.survive) << c.answer;
        EXPECT_EQ(rules.born, c.born) << c.answer;
    }
}

} // namespace
