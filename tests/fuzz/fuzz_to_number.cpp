// toNumber on arbitrary bytes: it must never fail, and on well-formed input whose value the
// conversion promises exactly it must agree with an independent reading.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "runtime/floating_point.h"
#include "tests/fuzz/fuzz_check.h"
#include "text/numbers.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(const Text& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n')) ++at;
    return at;
}

// The value of text that is exactly blanks, an optional sign, digits with at most one point, and
// an optional exponent of up to four digits, when it has at most 18 significant digits and a
// scale within 10^±27: the range in which the conversion must be exact, that is correctly
// rounded. Read with the C library, which knows nothing of the program's conversion.
std::optional<Number> exactDecimal(const Text& text) {
    std::size_t at = skipBlanks(text);
    Text plain;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) plain += text[at++];
    int significant = 0, afterPoint = 0, digits = 0;
    bool point = false;
    for (; at < text.size() && (isDigit(text[at]) || (text[at] == '.' && !point)); ++at) {
        plain += text[at];
        if (text[at] == '.') {
            point = true;
            continue;
        }
        ++digits;
        if (significant > 0 || text[at] != '0') ++significant;
        if (point) ++afterPoint;
    }
    if (digits == 0 || significant > 18) return std::nullopt;
    long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E' || text[at] == 'd' || text[at] == 'D')) {
        const std::size_t letter = at++;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        const std::size_t firstDigit = at;
        while (at < text.size() && isDigit(text[at])) ++at;
        if (at - firstDigit > 4) return std::nullopt;
        exponent = std::strtol(text.substr(letter + 1, at - letter - 1).c_str(), nullptr, 10);
    }
    if (at != text.size()) return std::nullopt;
    const long scale = exponent - afterPoint;
    if (scale < -27 || scale > 27) return std::nullopt;
    return std::strtold((plain + "e" + std::to_string(exponent)).c_str(), nullptr);
}

// "&H0" and up to fifteen hexadecimal digits: the value as accumulated, always positive.
std::optional<Number> exactHexadecimal(const Text& text) {
    if (text.size() < 3 || text.size() > 18 || text.compare(0, 3, "&H0") != 0) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t at = 2; at < text.size(); ++at) {
        const char c = text[at];
        const int digit = isDigit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<Number>(value);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setFloatingPointEnvironment();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Text text(reinterpret_cast<const char*>(data), size);
    const Number value = toNumber(text);
    require(!std::isnan(value), "toNumber never gives not-a-number");
    require(!std::isinf(value), "toNumber never gives an infinity");
    if (const auto expected = exactDecimal(text)) require(value == *expected, "exact decimal conversion");
    if (const auto expected = exactHexadecimal(text)) require(value == *expected, "exact hexadecimal conversion");
    return 0;
}
