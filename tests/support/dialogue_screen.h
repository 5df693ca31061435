#pragma once
// The console screen of a typed dialogue as a person sees it, the same picture for every build of
// the program: each answer on its prompt's line and nowhere else, nothing repeated, the legend,
// then the counter on a line of its own.
#include <chrono>

#include "tests/support/pty_process.h"

// Runs the program of `options` on its own terminal, types a 40 x 30 dialogue with
// black-and-white rule 1/23/3 (a Ctrl+C taken back with Backspace at the first prompt) and checks
// the screen after each step; then Ctrl+C while the automaton runs, which it goes on counting
// through, and q, which ends it with exit status 0.
void checkTypedDialogueScreen(PtyOptions options, std::chrono::milliseconds timeout);
