#pragma once
#include <cstdint>
#include <new>

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

// The run-time's error numbers. A failed console write maps the platform's code to one of these;
// `none` is what an operation that did not fail reports.
enum class RunError : int {
    none = 0,
    badArgument = 5,
    noMemory = 7,
    badArrayBounds = 9,
    unnumbered = 51,
    shortWrite = 61,
    noCanvas = 68,
    permissionDenied = 70,
    deviceFailure = 75,
};

// Records the error (unnumbered in place of none) in the error word of the calling routine. With no
// activation on the thread it goes to a per-thread fallback word, so an error is never lost.
void raiseError(RunError error);

// make()'s result, or, when its storage cannot be allocated, the empty result with error 7
// recorded.
template <class Make>
auto orNoMemory(Make&& make) -> decltype(make()) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        raiseError(RunError::noMemory);
        return {};
    }
}

// The error word raiseError would write to now.
const ErrorWord& currentErrorWord();
