#pragma once
#include <cstddef>
#include <new>

#include "text/text.h"

// The line editor for standard input on the console, the same on every platform. `Keyboard`
// supplies what differs:
//   next()           the next typed character, waiting for it (keys without one are skipped);
//   isBackspace(c)   whether c erases;
//   echo(bytes, n)   shows bytes on the screen, a failure being of no consequence;
//   echoTyped(c), echoErase(c)   shows a typed character, and takes it off the screen again.
namespace lineEditor {

inline constexpr std::size_t longestLine = 16384;
inline constexpr unsigned char enter = 13;
inline constexpr unsigned char endOfInput = 26; // Ctrl+Z

// After Ctrl+Z only Enter and Backspace count. True when Enter ended the line; false when
// Backspace took the Ctrl+Z back.
template <class State, class Keyboard>
bool endOfInputState(State& state, Keyboard& keyboard) {
    state.inputEnded = true;
    keyboard.echo("^Z", 2);
    for (;;) {
        const unsigned char c = keyboard.next();
        if (c == enter) {
            keyboard.echo("\r\n", 2);
            return true;
        }
        if (keyboard.isBackspace(c)) {
            state.inputEnded = false;
            keyboard.echo("\b\b  \b\b", 6);
            return false;
        }
    }
}

template <class State, class Keyboard>
Text editLine(State& state, Keyboard& keyboard) {
    unsigned char line[longestLine];
    std::size_t length = 0;
    if (state.inputEnded && endOfInputState(state, keyboard)) return Text();
    for (;;) {
        const unsigned char c = keyboard.next();
        if (keyboard.isBackspace(c)) {
            if (length > 0) keyboard.echoErase(line[--length]);
        } else if (c == enter) {
            keyboard.echo("\r\n", 2);
            break;
        } else if (c == endOfInput) {
            if (endOfInputState(state, keyboard)) break;
        } else {
            line[length++] = c;
            keyboard.echoTyped(c);
            if (length == longestLine) {
                keyboard.echo("\r\n", 2);
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
