#include "engine/rule.h"

#include "text/numbers.h"
#include "text/strings.h"

namespace {
const Text separator = "/";
constexpr std::int32_t smallestSize = 1, largestSize = 4;
} // namespace

bool isRuleNotation(const Text& answer) { return findText(1, answer, separator) != 0; }

void parseRule(Rule& rule, const Text& answer) {
    rule.size = storeInt32(toNumber(field(answer, separator, 1)));
    if (rule.size < smallestSize) rule.size = smallestSize;
    if (rule.size > largestSize) rule.size = largestSize;
    rule.survive = field(answer, separator, 2);
    rule.born = field(answer, separator, 3);
}

Text formatRule(const Rule& rule) {
    return countText(rule.size) + separator + rule.survive + separator + rule.born;
}
