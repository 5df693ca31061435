#pragma once
#include <cstdint>

// The 80-bit extended floating value in which all of the program's number arithmetic happens.
using Number = long double;

// The program's floating-point environment: round to nearest with ties to even, 64-bit mantissa
// for the 80-bit Number, every exception masked. On x86-64 that is the x87 control word 0x133F
// and the SSE default MXCSR 0x1F80.
inline constexpr std::uint16_t programX87ControlWord = 0x133F;
inline constexpr std::uint32_t programMxcsr = 0x1F80;

void setFloatingPointEnvironment();

// The floating-point state a system call must not change.
struct FloatingPointState {
    std::uint16_t x87ControlWord = 0;
    std::uint32_t mxcsr = 0;
};

FloatingPointState saveFloatingPointState();
void restoreFloatingPointState(const FloatingPointState& state);
