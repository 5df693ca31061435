#pragma once
#include <cstddef>
#include <cstring>
#include <new>

#include "text/text.h"

// Lines from redirected standard input, the same on every platform. `State` is the platform's
// ConsoleState with its read-ahead buffer (readAhead, readAheadCount), inputEnded and
// readAheadDeferred; the platform supplies the two operations on standard input:
//   fill(state)     reads what standard input holds into the empty read-ahead, waiting for it, and
//                   leaves the end-of-data mark there at the end of the data or on a failure;
//   waiting(state)  whether a read would return at once: false for a pipe whose writer has not
//                   written yet.
namespace redirected {

inline constexpr std::size_t longestLine = 16384;
inline constexpr unsigned char lineFeed = 10;
inline constexpr unsigned char enter = 13;
inline constexpr unsigned char endOfData = 26; // the end-of-data mark, and a byte 26 in the data

// Keeps what one read of standard input gave as the read-ahead: its `count` bytes, or the
// end-of-data mark when it gave none (the end of the data, or a failure).
template <class State>
void keepReadAhead(State& state, long long count) {
    if (count > 0) {
        state.readAheadCount = static_cast<int>(count);
    } else {
        state.readAhead[0] = endOfData;
        state.readAheadCount = 1;
    }
}

// The read-ahead after a completed line, which finds out early that the data has ended. When a
// pipe holds nothing yet it is put off to the next readLine rather than taken as the end.
template <class State, class Fill, class Waiting>
void readAheadAfterLine(State& state, bool waitForData, Fill fill, Waiting waiting) {
    state.readAheadDeferred = !waitForData && !waiting(state);
    if (state.readAheadDeferred) return;
    fill(state);
    if (state.readAhead[0] == endOfData) state.inputEnded = true;
}

template <class State, class Fill, class Waiting>
Text readLine(State& state, Fill fill, Waiting waiting) {
    if (state.readAheadDeferred) readAheadAfterLine(state, true, fill, waiting);
    unsigned char line[longestLine];
    std::size_t length = 0;
    int next = 0;
    for (;;) {
        if (next == state.readAheadCount) {
            next = 0;
            fill(state);
        }
        const unsigned char c = state.readAhead[next];
        if (c == endOfData) {
            if (state.inputEnded) {
                state.readAhead[0] = endOfData;
                state.readAheadCount = 1;
                return Text(1, static_cast<char>(endOfData));
            }
            state.inputEnded = true;
            break; // the mark stays at the front for the next call
        }
        ++next;
        if (c == lineFeed) break;
        if (c == enter) continue;
        line[length++] = c;
        if (length == longestLine) break;
    }
    state.readAheadCount -= next;
    std::memmove(state.readAhead, state.readAhead + next, static_cast<std::size_t>(state.readAheadCount));
    if (state.readAheadCount == 0) readAheadAfterLine(state, false, fill, waiting);
    try {
        return Text(reinterpret_cast<const char*>(line), length);
    } catch (const std::bad_alloc&) {
        return Text();
    }
}

} // namespace redirected
