#include "runtime/floating_point.h"

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>

FloatingPointState saveFloatingPointState() {
    FloatingPointState state;
    asm volatile("fnstcw %0" : "=m"(state.x87ControlWord));
    state.mxcsr = _mm_getcsr();
    return state;
}

void restoreFloatingPointState(const FloatingPointState& state) {
    asm volatile("fldcw %0" : : "m"(state.x87ControlWord));
    _mm_setcsr(state.mxcsr);
}

void setFloatingPointEnvironment() {
    restoreFloatingPointState({programX87ControlWord, programMxcsr});
}

#else

// Without x87 the environment is the IEEE default: nearest-even rounding, exceptions masked.
FloatingPointState saveFloatingPointState() { return {}; }
void restoreFloatingPointState(const FloatingPointState&) { std::fesetround(FE_TONEAREST); }
void setFloatingPointEnvironment() { std::fesetround(FE_TONEAREST); }

#endif
