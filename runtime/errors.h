#pragma once
#include <cstdint>

// A routine's error record. A failing run-time operation puts its error number into the low byte
// and sets bit 15 (the pending flag); nothing is printed and the program goes on.
struct ErrorWord {
    std::uint16_t bits = 0;

    int number() const { return bits & 0xFF; }
    bool pending() const { return (bits & 0x8000) != 0; }
};

// One activation of a routine that wants its own error word: while it lives, raiseError on this
// thread records into it. Activations nest; the innermost one is the calling routine.
class RoutineActivation {
public:
    RoutineActivation();
    ~RoutineActivation();
    RoutineActivation(const RoutineActivation&) = delete;
    RoutineActivation& operator=(const RoutineActivation&) = delete;

    ErrorWord errorWord;

private:
    RoutineActivation* outer_;
};

// Records `number` (0 becomes 51) in the error word of the calling routine. With no activation
// on the thread the number goes to a per-thread fallback word, so an error is never lost.
void raiseError(int number);

// The error word raiseError would write to now.
const ErrorWord& currentErrorWord();
