#include "runtime/errors.h"

namespace {
thread_local RoutineActivation* innermost = nullptr;
thread_local ErrorWord fallbackWord;

ErrorWord& callingRoutineWord() {
    return innermost ? innermost->errorWord : fallbackWord;
}
} // namespace

RoutineActivation::RoutineActivation() : outer_(innermost) { innermost = this; }

RoutineActivation::~RoutineActivation() { innermost = outer_; }

void raiseError(RunError error) {
    if (error == RunError::none) error = RunError::unnumbered;
    const int number = static_cast<int>(error);
    callingRoutineWord().bits = static_cast<std::uint16_t>(0x8000 | (number & 0xFF));
}

const ErrorWord& currentErrorWord() { return callingRoutineWord(); }
