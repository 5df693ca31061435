#pragma once

#include "runtime/floating_point.h"

// Seconds since local midnight with millisecond resolution, from the local wall clock.
Number timeOfDay();
