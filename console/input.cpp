// Typed lines and keys, the same on every platform, over what platform_console.h supplies.
#include "console/console.h"
#include "console/line_input.h"
#include "console/platform_console.h"

#include <cstring>

#include "runtime/errors.h"

namespace {

using namespace consolePlatform;

constexpr std::size_t longestLine = 16384;
constexpr unsigned char enter = 13;
constexpr unsigned char lineFeed = 10;
constexpr unsigned char endOfInput = 26; // Ctrl+Z typed; in redirected input, the end-of-data mark

Text textOf(const unsigned char* bytes, std::size_t count) {
    return orNoMemory([&] { return Text(reinterpret_cast<const char*>(bytes), count); });
}

// ---- The line editor, for standard input on the console ----

// What the editor shows, gathered while typed characters are waiting (a paste, keys typed
// ahead) and written at once before the editor waits for the next one.
class GatheredEcho {
public:
    GatheredEcho() = default;
    ~GatheredEcho() { flush(); }
    GatheredEcho(const GatheredEcho&) = delete;
    GatheredEcho& operator=(const GatheredEcho&) = delete;

    // Room for the next echo, which add() then counts.
    char* room() {
        if (count_ + longestEcho > sizeof bytes_) flush();
        return bytes_ + count_;
    }
    void add(std::size_t count) { count_ += count; }
    void add(const char* bytes, std::size_t count) {
        std::memcpy(room(), bytes, count);
        add(count);
    }

    unsigned char next() {
        if (!typedWaiting()) flush();
        return readTyped();
    }

private:
    void flush() {
        if (count_ > 0) echo(bytes_, count_);
        count_ = 0;
    }

    char bytes_[2 * longestLine + 2];
    std::size_t count_ = 0;
};

// After Ctrl+Z only Enter and Backspace count. True when Enter ended the line; false when
// Backspace took the Ctrl+Z back.
bool endOfInputState(LineInputState& state, GatheredEcho& shown) {
    state.inputEnded = true;
    shown.add("^Z", 2);
    for (;;) {
        const unsigned char c = shown.next();
        if (c == enter) {
            shown.add("\r\n", 2);
            return true;
        }
        if (isBackspace(c)) {
            state.inputEnded = false;
            shown.add("\b\b  \b\b", 6);
            return false;
        }
    }
}

Text editLine(LineInputState& state) {
    unsigned char line[longestLine];
    std::size_t length = 0;
    GatheredEcho shown;
    if (state.inputEnded && endOfInputState(state, shown)) return Text();
    for (;;) {
        const unsigned char c = shown.next();
        if (isBackspace(c)) {
            if (length > 0) shown.add(erasing(line[--length], shown.room()));
        } else if (c == enter) {
            shown.add("\r\n", 2);
            break;
        } else if (c == endOfInput) {
            if (endOfInputState(state, shown)) break;
        } else {
            line[length++] = c;
            shown.add(shownAs(c, shown.room()));
            if (length == longestLine) {
                shown.add("\r\n", 2);
                break;
            }
        }
    }
    return textOf(line, length);
}

// ---- Lines from redirected standard input ----

// Reads what standard input holds into the empty read-ahead, waiting for it; at the end of the
// data, or on a failure, the read-ahead holds the end-of-data mark alone.
void refill(LineInputState& state) {
    const std::size_t count = readRedirected(state.readAhead, sizeof state.readAhead);
    if (count > 0) {
        state.readAheadCount = static_cast<int>(count);
    } else {
        state.readAhead[0] = endOfInput;
        state.readAheadCount = 1;
    }
}

// The read-ahead after a completed line, which finds out early that the data has ended. When a
// pipe holds nothing yet it is put off to the next readLine rather than taken as the end.
void readAheadAfterLine(LineInputState& state, bool waitForData) {
    state.readAheadDeferred = !waitForData && !redirectedWaiting();
    if (state.readAheadDeferred) return;
    refill(state);
    if (state.readAhead[0] == endOfInput) state.inputEnded = true;
}

Text redirectedLine(LineInputState& state) {
    if (state.readAheadDeferred) readAheadAfterLine(state, true);
    unsigned char line[longestLine];
    std::size_t length = 0;
    int next = 0;
    for (;;) {
        if (next == state.readAheadCount) {
            next = 0;
            refill(state);
        }
        const unsigned char c = state.readAhead[next];
        if (c == endOfInput) {
            if (state.inputEnded) {
                state.readAhead[0] = endOfInput;
                state.readAheadCount = 1;
                return textOf(&endOfInput, 1);
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
    if (state.readAheadCount == 0) readAheadAfterLine(state, false);
    return textOf(line, length);
}

} // namespace

LineInputState& lineInputState() {
    static LineInputState state;
    return state;
}

void initConsole() {
    lineInputState() = LineInputState{};
    consolePlatform::open();
}

void shutDownConsole() {
    ::startFreshLine(); // so that whatever the shell shows next does not stand behind our text
    consolePlatform::close();
}

Text readLine() {
    LineInputState& state = lineInputState();
    return linesFromKeyboard() ? editLine(state) : redirectedLine(state);
}

bool redirectedInputHasEnded() { return !linesFromKeyboard() && lineInputState().inputEnded; }

Key pollKey() { return takeKey(false); }

Key waitKey() { return takeKey(true); }
