#pragma once

#include "text/text.h"

// One typed line without its line end: the line editor on a terminal, raw bytes otherwise.
Text readLine();
// The next key (KeyText): empty when none is waiting; never waits.
Text pollKey();
// The next key, waiting for it without spinning.
Text waitKey();
// Capitals A-Z and the code-page capitals made small, byte by byte.
Text lowerCase(const Text& text);
