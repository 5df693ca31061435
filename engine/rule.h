#pragma once
#include <cstdint>

#include "text/text.h"

// How cells live and change: black/white (alive only at exactly 255; a cell becomes 255 or 0) or
// shades of grey (alive above 128; a cell drifts up or down by the grey speed).
enum class RenderMode { blackWhite = 1, shadesOfGrey = 2 };

// The rule the automaton runs by. Size is the neighbourhood radius 1..4; Survive and Born are
// searched as texts, never parsed into numbers (count_matches.h). The mode and the grey speed
// (1..128, used in grey mode only) are chosen once per run; Size, Survive and Born are what the
// notation Size/Survive/Born writes and what a new or random rule replaces.
struct Rule {
    std::int32_t size = 0;
    Text survive;
    Text born;
    RenderMode mode = RenderMode::blackWhite;
    std::int32_t greySpeed = 0;
};

// True when a typed answer is written in the notation at all: it holds a "/".
bool isRuleNotation(const Text& answer);

// Size, Survive and Born from a typed answer split at every "/": Size from the first field,
// rounded and clamped to 1..4 (text that is no number gives 1), Survive and Born the second and
// third fields exactly as typed, blanks included (a missing field is empty). Further fields are
// ignored; the mode and the grey speed stay as they are.
void parseRule(Rule& rule, const Text& answer);

// The notation back: Size, Survive and Born joined by "/".
Text formatRule(const Rule& rule);
