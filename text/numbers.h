#pragma once
#include <cstdint>

#include "runtime/floating_point.h"
#include "text/text.h"

// Typed text to a number: leading blanks, sign, decimal mantissa and exponent, or the "&" radix
// form. Never fails: malformed text gives the value of its longest valid beginning, or 0.
Number toNumber(const Text& text);

// The decimal text of a number with at most 15 significant digits, no blanks ("0", "80", "-3",
// ".05", "1E+16"). Infinities and not-a-number give "Inf", "-Inf" and "NaN".
Text countText(Number value);

// The largest whole number not above the argument.
Number integerPart(Number value);

// Stores into an integer: round to nearest, ties to even; out of range (or not a number) gives
// the most negative value of the width.
std::int32_t storeInt32(Number value);
std::int64_t storeInt64(Number value);
