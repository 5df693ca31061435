#pragma once

// The local wall-clock time of day.
struct LocalTimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0; // 0..59; a leap second reads as 59
    int millisecond = 0;
};

// Asks the system for the time; callers pass it through guardedSystemCall.
LocalTimeOfDay readLocalTimeOfDay();
