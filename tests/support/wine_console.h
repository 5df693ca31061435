#pragma once
#include <string>

#include "tests/support/pty_process.h"

// Options that run a Windows program under Wine on the pseudo-terminal, in the prefix WINEPREFIX
// names (its server already running) and on DISPLAY. Wine's console takes keys from the terminal
// only when standard input is that terminal, and leaves the terminal's own echo and line editing
// on: the terminal is put into raw mode first, as a Windows console in mode 0 would be.
PtyOptions wineProgramOptions(const std::string& program);
