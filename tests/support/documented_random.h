#pragma once
// The program's random numbers as its generator is documented, written out apart from the
// program's code so that an expectation built on them cannot share the program's mistakes: a
// 32-bit state seeded with the bits of the time of day as a single-precision number, stepped by
// state x 134775813 + 1 before each number, whose top 31 bits are the number's bits below the
// point.
#include <bit>
#include <cstdint>
#include <string>

class DocumentedRandom {
public:
    explicit DocumentedRandom(float secondsSinceMidnight) : state_(std::bit_cast<std::uint32_t>(secondsSinceMidnight)) {}

    // integer part of (next number x n), 0..n-1: exact in integers, as n has at most 32 bits.
    std::int32_t below(std::int32_t n) {
        state_ = state_ * 134775813u + 1u;
        return static_cast<std::int32_t>((std::uint64_t{state_ >> 1} * static_cast<std::uint64_t>(n)) >> 31);
    }

    // The x key's rule in its notation: Size 1, then for Survive and after it for Born each digit
    // 0..8 in turn, kept when integer part of (next number x 10) is above 5.
    std::string randomRule() {
        std::string digits[2];
        for (std::string& part : digits)
            for (char digit = '0'; digit <= '8'; ++digit)
                if (below(10) > 5) part += digit;
        return "1/" + digits[0] + "/" + digits[1];
    }

private:
    std::uint32_t state_;
};
