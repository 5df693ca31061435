#include "text/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "runtime/errors.h"

namespace {

// ---- Powers of ten -------------------------------------------------------------------------

constexpr Number smallPowersOfTen[8] = {1e0L, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L};

// 10^(8 * 2^i): one factor per bit of n div 8.
constexpr Number largePowersOfTen[10] = {1e8L,   1e16L,   1e32L,   1e64L,    1e128L,
                                         1e256L, 1e512L, 1e1024L, 1e2048L, 1e4096L};

// The largest n for which 10^n is finite in a Number.
constexpr int largestFinitePowerOfTen = 4932;

// 10^n for 0 <= n < 8192; exact up to 10^27 and within a few units in the last place beyond.
Number powerOfTen(int n) {
    Number power = smallPowersOfTen[n % 8];
    int bit = 0;
    for (int highPart = n / 8; highPart != 0 && bit < 10; highPart >>= 1, ++bit) {
        if (highPart & 1) power *= largePowersOfTen[bit];
    }
    return power;
}

// x * 10^n in one rounding where the factor fits; beyond that in two steps, so that values
// near either end of the range do not meet an infinite or vanishing factor on the way.
Number scaleByPowerOfTen(Number x, int n) {
    const int magnitude = n < 0 ? -n : n;
    if (magnitude > largestFinitePowerOfTen) {
        const Number first = powerOfTen(4096);
        x = n > 0 ? x * first : x / first;
        n += n > 0 ? -4096 : 4096;
    }
    return n >= 0 ? x * powerOfTen(n) : x / powerOfTen(-n);
}

// ---- Rounding -------------------------------------------------------------------------------

constexpr Number powerOfTwo(int n) {
    Number power = 1;
    for (; n > 0; --n) power *= 2;
    return power;
}

// From this magnitude on every Number is a whole number.
constexpr Number wholeFromHere = powerOfTwo(std::numeric_limits<Number>::digits - 1);

// Rounds in the current mode, which the program keeps at nearest, ties to even: adding
// wholeFromHere leaves no fraction bits, so the addition itself rounds. std::nearbyint does the
// same but saves and restores the floating-point environment, at several times the cost.
Number roundToWhole(Number x) {
    const Number magnitude = std::fabs(x);
    if (!(magnitude < wholeFromHere)) return x; // already whole, infinite or not a number
    const Number rounded = (magnitude + wholeFromHere) - wholeFromHere;
    return std::copysign(rounded, x);
}

// ---- Reading text ---------------------------------------------------------------------------

class Cursor {
public:
    explicit Cursor(const Text& text) : at_(text.data()), end_(text.data() + text.size()) {}

    // Byte 0 stands for the end: it is no digit, sign, point or letter, so it ends every form
    // exactly as the end of the text does.
    char peek() const { return at_ < end_ ? *at_ : '\0'; }
    void skip() { ++at_; }
    bool take(char c) {
        if (peek() != c) return false;
        skip();
        return true;
    }

private:
    const char* at_;
    const char* end_;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }
char upperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// ---- Decimal form ---------------------------------------------------------------------------

constexpr int maxAccumulatedDigits = 18;
constexpr int maxExponentMagnitude = 9999;
constexpr int overflowDecimalExponent = 4933;

struct Mantissa {
    std::uint64_t digits = 0;   // the first significant digits, exactly
    int digitCount = 0;         // how many of them
    long long decimalExponent = 0; // value = 0.d1d2... x 10^decimalExponent
};

Mantissa readMantissa(Cursor& cursor) {
    Mantissa mantissa;
    bool afterPoint = false;
    for (;; cursor.skip()) {
        const char c = cursor.peek();
        if (c == '.') {
            if (afterPoint) break;
            afterPoint = true;
            continue;
        }
        if (!isDecimalDigit(c)) break;
        const bool leadingZero = mantissa.digitCount == 0 && c == '0';
        if (leadingZero) {
            if (afterPoint) --mantissa.decimalExponent;
            continue;
        }
        if (mantissa.digitCount < maxAccumulatedDigits) {
            mantissa.digits = mantissa.digits * 10 + static_cast<unsigned>(c - '0');
            ++mantissa.digitCount;
        }
        if (!afterPoint) ++mantissa.decimalExponent;
    }
    return mantissa;
}

int readExponent(Cursor& cursor) {
    const char letter = upperCase(cursor.peek());
    if (letter != 'E' && letter != 'D') return 0;
    cursor.skip();
    bool negative = false;
    if (cursor.take('-')) negative = true;
    else cursor.take('+');
    int magnitude = 0;
    for (; isDecimalDigit(cursor.peek()); cursor.skip()) {
        magnitude = std::min(magnitude * 10 + (cursor.peek() - '0'), maxExponentMagnitude);
    }
    return negative ? -magnitude : magnitude;
}

Number readDecimal(Cursor& cursor) {
    const Mantissa mantissa = readMantissa(cursor);
    if (mantissa.digitCount == 0) return 0; // no digit, or zeros only
    const long long decimalExponent = mantissa.decimalExponent + readExponent(cursor);
    if (decimalExponent >= overflowDecimalExponent) return std::ldexp(1.0L, 127);
    if (decimalExponent <= -overflowDecimalExponent) return 0;
    const int scale = static_cast<int>(decimalExponent) - mantissa.digitCount;
    return scaleByPowerOfTen(static_cast<Number>(mantissa.digits), scale);
}

// ---- Radix form -----------------------------------------------------------------------------

enum class TypeSuffix { none, percent, ampersand, doubleAmpersand, question };

int digitValue(char c) {
    if (isDecimalDigit(c)) return c - '0';
    const char upper = upperCase(c);
    if (upper >= 'A' && upper <= 'Z') return upper - 'A' + 10;
    return 99;
}

int readBitsPerDigit(Cursor& cursor) {
    switch (upperCase(cursor.peek())) {
    case 'H': cursor.skip(); return 4;
    case 'O':
    case 'Q': cursor.skip(); return 3;
    case 'B': cursor.skip(); return 1;
    default: return 3; // the character is the first octal digit (or ends the number)
    }
}

TypeSuffix readTypeSuffix(Cursor& cursor) {
    if (cursor.take('%')) return TypeSuffix::percent;
    if (cursor.take('&')) return cursor.take('&') ? TypeSuffix::doubleAmpersand : TypeSuffix::ampersand;
    if (!cursor.take('?')) return TypeSuffix::none;
    if (cursor.take('?')) cursor.take('?');
    return TypeSuffix::question;
}

Number signedRadixValue(std::uint64_t value, bool leadingZero, TypeSuffix suffix) {
    if (suffix == TypeSuffix::question) return (value >> 63) ? 0 : static_cast<Number>(value);
    if (leadingZero || value > 0xFFFFFFFFu) return static_cast<Number>(static_cast<std::int64_t>(value));
    if (value > 0xFFFFu) {
        if (suffix == TypeSuffix::doubleAmpersand) return static_cast<Number>(value);
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    if (suffix == TypeSuffix::ampersand || suffix == TypeSuffix::doubleAmpersand) return static_cast<Number>(value);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

Number readRadix(Cursor& cursor) {
    const int bitsPerDigit = readBitsPerDigit(cursor);
    const int base = 1 << bitsPerDigit;
    const bool leadingZero = cursor.peek() == '0';
    std::uint64_t value = 0;
    bool sawDigit = false;
    for (int digit; (digit = digitValue(cursor.peek())) < base; cursor.skip()) {
        if ((value >> (64 - bitsPerDigit)) != 0) return 0; // a set bit would be shifted out
        value = (value << bitsPerDigit) | static_cast<unsigned>(digit);
        sawDigit = true;
    }
    if (!sawDigit) return 0;
    return signedRadixValue(value, leadingZero, readTypeSuffix(cursor));
}

// ---- Decimal text of a number ---------------------------------------------------------------

constexpr int keptDigits = 15;
constexpr int longestPlainFraction = 15;
constexpr std::uint64_t tenTo14 = 100000000000000ULL;
constexpr std::uint64_t tenTo15 = 10 * tenTo14;
constexpr std::uint64_t tenTo17 = 1000 * tenTo14;
constexpr std::uint64_t tenTo18 = 10 * tenTo17;

// A positive finite value as 0.d1..dp x 10^exponent with at most 15 digits.
struct DecimalDigits {
    char digit[keptDigits];
    int count;
    int exponent;
};

// The decimal exponent e with 10^(e-1) <= magnitude < 10^e, or one less: the binary exponent
// brackets log10 within an interval narrower than one.
int estimateDecimalExponent(Number magnitude) {
    int binaryExponent = 0;
    std::frexp(magnitude, &binaryExponent);
    constexpr Number log10Of2 = 0.301029995663981195213738894724493L;
    return static_cast<int>(std::floor((binaryExponent - 1) * log10Of2)) + 1;
}

// The first 15 of 18 digits; the 16th decides alone, a 5 rounding to an even 15th digit.
std::uint64_t roundEighteenToFifteen(std::uint64_t eighteenDigits) {
    std::uint64_t kept = eighteenDigits / 1000;
    const unsigned deciding = static_cast<unsigned>(eighteenDigits / 100 % 10);
    if (deciding > 5 || (deciding == 5 && (kept & 1) != 0)) ++kept;
    return kept;
}

DecimalDigits toDecimalDigits(Number magnitude) {
    int exponent = estimateDecimalExponent(magnitude);
    Number scaled = scaleByPowerOfTen(magnitude, 18 - exponent);
    if (scaled >= static_cast<Number>(tenTo18)) scaled = scaleByPowerOfTen(magnitude, 18 - ++exponent);
    std::uint64_t eighteenDigits = static_cast<std::uint64_t>(roundToWhole(scaled));
    if (eighteenDigits >= tenTo18) { // rounded up from 999...9.5 or more
        eighteenDigits = tenTo17;
        ++exponent;
    }
    std::uint64_t kept = roundEighteenToFifteen(eighteenDigits);
    if (kept == tenTo15) {
        kept = tenTo14;
        ++exponent;
    }

    DecimalDigits result{};
    for (int i = keptDigits - 1; i >= 0; --i, kept /= 10) result.digit[i] = static_cast<char>('0' + kept % 10);
    result.count = keptDigits;
    while (result.digit[result.count - 1] == '0') --result.count;
    result.exponent = exponent;
    return result;
}

// Writes into a buffer that always has room: the longest layout takes 23 bytes.
class LayoutBuffer {
public:
    void put(char c) { bytes_[length_++] = c; }
    void put(const char* from, int count) {
        for (int i = 0; i < count; ++i) put(from[i]);
    }
    void putZeros(int count) {
        for (int i = 0; i < count; ++i) put('0');
    }
    void putDecimal(std::uint64_t value) {
        char reversed[20];
        int count = 0;
        do {
            reversed[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count > 0) put(reversed[--count]);
    }
    Text text() const { return Text(bytes_, static_cast<std::size_t>(length_)); }

private:
    char bytes_[32];
    int length_ = 0;
};

void putExponentLayout(LayoutBuffer& out, const DecimalDigits& d) {
    out.put(d.digit[0]);
    if (d.count > 1) {
        out.put('.');
        out.put(d.digit + 1, d.count - 1);
    }
    const int power = d.exponent - 1;
    out.put('E');
    out.put(power < 0 ? '-' : '+');
    out.putDecimal(static_cast<std::uint64_t>(power < 0 ? -power : power));
}

void putDigits(LayoutBuffer& out, const DecimalDigits& d) {
    const int digitsAfterPoint = d.count - d.exponent;
    const bool wholeNumber = digitsAfterPoint <= 0;
    if (wholeNumber ? d.exponent > keptDigits : digitsAfterPoint > longestPlainFraction) {
        putExponentLayout(out, d);
    } else if (wholeNumber) {
        out.put(d.digit, d.count);
        out.putZeros(d.exponent - d.count);
    } else if (d.exponent > 0) {
        out.put(d.digit, d.exponent);
        out.put('.');
        out.put(d.digit + d.exponent, d.count - d.exponent);
    } else {
        out.put('.');
        out.putZeros(-d.exponent);
        out.put(d.digit, d.count);
    }
}

Text nonFiniteText(Number value) {
    if (std::isnan(value)) return "NaN";
    return value < 0 ? "-Inf" : "Inf";
}

} // namespace

Number toNumber(const Text& text) {
    Cursor cursor(text);
    while (isBlank(cursor.peek())) cursor.skip();
    if (cursor.take('&')) return readRadix(cursor);
    if (cursor.take('-')) return -readDecimal(cursor);
    cursor.take('+');
    return readDecimal(cursor);
}

Text countText(Number value) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    LayoutBuffer out;
    if (value < 0) out.put('-');
    const Number magnitude = std::fabs(value);
    // Whole numbers of up to 15 digits come through the rounding unchanged and are laid out as
    // their plain digits, so the counts of the rule step take this short way.
    const bool smallWholeNumber = magnitude < static_cast<Number>(tenTo15) &&
                                  static_cast<Number>(static_cast<std::uint64_t>(magnitude)) == magnitude;
    if (smallWholeNumber) out.putDecimal(static_cast<std::uint64_t>(magnitude));
    else putDigits(out, toDecimalDigits(magnitude));
    return orNoMemory([&out] { return out.text(); });
}

Number integerPart(Number value) { return std::floor(value); }

std::int32_t storeInt32(Number value) {
    const Number rounded = roundToWhole(value);
    if (!(rounded >= -2147483648.0L && rounded <= 2147483647.0L)) return INT32_MIN;
    return static_cast<std::int32_t>(rounded);
}

std::int64_t storeInt64(Number value) {
    const Number rounded = roundToWhole(value);
    constexpr Number twoTo63 = 9223372036854775808.0L;
    if (!(rounded >= -twoTo63 && rounded < twoTo63)) return INT64_MIN;
    return static_cast<std::int64_t>(rounded);
}
