#pragma once
#include <cstdint>

#include "text/text.h"

// 1-based position of the leftmost occurrence of pattern in text at or after start, or 0.
std::int32_t findText(std::int32_t start, const Text& text, const Text& pattern);

// The n-th field of text split at every delimiter (1-based; negative n counts from the end).
Text field(const Text& text, const Text& delimiter, std::int32_t n);

// Byte-wise comparison as unsigned values; a proper prefix is less. Negative, 0 or positive.
int compareText(const Text& a, const Text& b);

Text concat(const Text& a, const Text& b);

// Puts value into variable, reusing the variable's storage when the length is the same.
void storeText(Text& variable, const Text& value);
void storeText(Text& variable, Text&& value);
