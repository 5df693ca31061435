#pragma once

#include "text/text.h"

// Exit code of a run that could not do its work (no window, no World, no rule before input ended).
inline constexpr int failureExitCode = 1;

// Writes "tessera: " and the message as one line on standard error, on a line of its own.
void reportFailure(const Text& message);
