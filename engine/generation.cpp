#include "engine/generation.h"

#include "engine/count_matches.h"
#include "text/numbers.h"

namespace {
constexpr std::int32_t white = 255;
constexpr std::int32_t aliveAbove = 128;

std::int32_t blackWhiteValue(std::int32_t sum, std::int32_t centre, const Rule& rule) {
    const std::int32_t count = sum / 255;
    const Text& ruleText = centre == white ? rule.survive : rule.born;
    return countMatches(ruleText, count) ? white : 0;
}

std::int32_t greyValue(std::int32_t sum, std::int32_t centre, const Rule& rule) {
    const std::int32_t count = storeInt32(Number(sum) / 255);
    const std::int32_t speed = rule.greySpeed;
    if (centre > aliveAbove) {
        if (!countMatches(rule.survive, count)) return centre - speed;
        return centre + speed > white ? white : centre + speed;
    }
    if (countMatches(rule.born, count)) return centre + speed;
    return centre - speed < 0 ? 0 : centre - speed;
}
} // namespace

void LiteralGenerator::step(World& world) const {
    const Rule& rule = rule_;
    const std::int32_t currentPlane = world.currentPlane();
    const std::int32_t nextPlane = world.nextPlane();
    const std::int32_t width = world.width();
    const std::int32_t height = world.height();
    for (std::int32_t i = 1; i <= width; ++i) {
        for (std::int32_t j = 1; j <= height; ++j) {
            const std::int32_t sum = neighbourhoodSum(world, i, j, rule.size, currentPlane);
            const std::int32_t centre = world.cell(i, j, currentPlane);
            world.setCell(i, j, nextPlane,
                          rule.mode == RenderMode::shadesOfGrey ? greyValue(sum, centre, rule)
                                                                : blackWhiteValue(sum, centre, rule));
        }
    }
}
