#pragma once
#include <cstddef>
#include <cstring>
#include <new>

#include "text/text.h"

// The line editor for standard input on the console, the same on every platform. `Keyboard`
// supplies what differs:
//   next()           the next typed character, waiting for it (keys without one are skipped);
//   waiting()        whether a typed character can be taken at once;
//   isBackspace(c)   whether c erases;
//   echo(bytes, n)   shows bytes on the screen in one write, a failure being of no consequence;
//   shownAs(c, out), erasing(c, out)   the bytes that show a typed character and that take it
//                    off the screen again, put at `out`; their count (at most longestEcho).
namespace lineEditor {

inline constexpr std::size_t longestLine = 16384;
inline constexpr std::size_t longestEcho = 6;
inline constexpr unsigned char enter = 13;
inline constexpr unsigned char endOfInput = 26; // Ctrl+Z

// What the editor shows, gathered while typed characters are waiting (a paste, keys typed
// ahead) and written at once before the editor waits for the next one.
template <class Keyboard>
class GatheredEcho {
public:
    explicit GatheredEcho(Keyboard& keyboard) : keyboard_(keyboard) {}
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
        if (!keyboard_.waiting()) flush();
        return keyboard_.next();
    }

    void flush() {
        if (count_ > 0) keyboard_.echo(bytes_, count_);
        count_ = 0;
    }

private:
    Keyboard& keyboard_;
    char bytes_[2 * longestLine + 2];
    std::size_t count_ = 0;
};

// After Ctrl+Z only Enter and Backspace count. True when Enter ended the line; false when
// Backspace took the Ctrl+Z back.
template <class State, class Keyboard>
bool endOfInputState(State& state, Keyboard& keyboard, GatheredEcho<Keyboard>& echo) {
    state.inputEnded = true;
    echo.add("^Z", 2);
    for (;;) {
        const unsigned char c = echo.next();
        if (c == enter) {
            echo.add("\r\n", 2);
            return true;
        }
        if (keyboard.isBackspace(c)) {
            state.inputEnded = false;
            echo.add("\b\b  \b\b", 6);
            return false;
        }
    }
}

template <class State, class Keyboard>
Text editLine(State& state, Keyboard& keyboard) {
    unsigned char line[longestLine];
    std::size_t length = 0;
    GatheredEcho<Keyboard> echo(keyboard);
    if (state.inputEnded && endOfInputState(state, keyboard, echo)) return Text();
    for (;;) {
        const unsigned char c = echo.next();
        if (keyboard.isBackspace(c)) {
            if (length > 0) echo.add(keyboard.erasing(line[--length], echo.room()));
        } else if (c == enter) {
            echo.add("\r\n", 2);
            break;
        } else if (c == endOfInput) {
            if (endOfInputState(state, keyboard, echo)) break;
        } else {
            line[length++] = c;
            echo.add(keyboard.shownAs(c, echo.room()));
            if (length == longestLine) {
                echo.add("\r\n", 2);
                break;
            }
        }
    }
    try {
        return Text(reinterpret_cast<const char*>(line), length);
    } catch (const std::bad_alloc&) {
        return Text();
    }
}

} // namespace lineEditor
