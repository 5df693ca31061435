#pragma once
// The wake-up channel in the browser (wake_up_channel.cpp): a word of shared memory that the
// window thread sleeps on, since the page offers no descriptor to wait on beside its own events.
#include "graphics/platform_window.h"

// Returns once the channel is raised, at once when it is already.
void sleepUntilRaised(const WakeUpChannel& channel);
