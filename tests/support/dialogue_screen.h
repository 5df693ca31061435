#pragma once
// The console screen of a typed dialogue as a person sees it, the same picture for every build of
// the program: each answer on its prompt's line and nowhere else, nothing repeated, the legend,
// then the counter on a line of its own. The program runs on a terminal of screenRows x
// screenColumns (set in its PtyOptions), tall enough that nothing scrolls away.
#include <chrono>

#include "tests/support/pty_process.h"

inline constexpr unsigned short screenRows = 40;
inline constexpr unsigned short screenColumns = 80;

// Types a 40 x 30 dialogue with black-and-white rule 1/23/3, a Ctrl+C taken back with Backspace
// at the first prompt, and checks the screen after each step; returns with the counter running.
void typeDialogueCheckingTheScreen(PtyProcess& program, std::chrono::milliseconds timeout);

// Ctrl+C while the automaton runs: the program goes on counting on the same line, and q then ends
// it with exit status 0.
void interruptThenQuitCheckingTheScreen(PtyProcess& program, std::chrono::milliseconds timeout);
