#pragma once
// The line editor's and redirected input's state, which the portable input (input.cpp) keeps for
// the process.

// Redirected input read but not yet consumed, and the end of input.
struct LineInputState {
    unsigned char readAhead[128] = {};
    int readAheadCount = 0;
    bool inputEnded = false;
    // The read-ahead after the last redirected line found no data yet (the writer of a pipe had
    // not written); the next readLine waits for it.
    bool readAheadDeferred = false;
};

// The process's state, emptied by initConsole; tests may empty it too.
LineInputState& lineInputState();
