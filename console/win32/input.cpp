#include "console/platform_console.h"

#include <cstring>

#include "console/win32/console_state.h"

namespace {

// ---- Keys from the console's input queue ----

bool isLetterKey(unsigned char scanCode) {
    return (scanCode >= 16 && scanCode <= 25) || (scanCode >= 30 && scanCode <= 38) || (scanCode >= 44 && scanCode <= 50);
}

// Ctrl, Shift, Alt, Caps Lock, Num Lock and Scroll Lock pressed on their own.
bool isLoneModifier(unsigned char scanCode) {
    switch (scanCode) {
    case 29: case 42: case 54: case 56: case 58: case 69: case 70: return true;
    default: return false;
    }
}

struct KeyPair {
    unsigned char scanCode;
    char unshifted;
    char shifted;
};

// The keys whose characters Caps Lock must not change: digits and punctuation follow Shift alone.
constexpr KeyPair capsLockPairs[] = {
    {2, '1', '!'},  {3, '2', '@'},  {4, '3', '#'},  {5, '4', '$'},   {6, '5', '%'},  {7, '6', '^'},  {8, '7', '&'},
    {9, '8', '*'},  {10, '9', '('}, {11, '0', ')'}, {12, '-', '_'},  {13, '=', '+'}, {26, '[', '{'}, {27, ']', '}'},
    {39, ';', ':'}, {40, '\'', '"'}, {41, '`', '~'}, {43, '\\', '|'}, {51, ',', '<'}, {52, '.', '>'}, {53, '/', '?'},
};

unsigned char capsLockCorrected(const KEY_EVENT_RECORD& key, unsigned char c) {
    if (!(key.dwControlKeyState & CAPSLOCK_ON)) return c;
    const bool shift = (key.dwControlKeyState & SHIFT_PRESSED) != 0;
    for (const KeyPair& pair : capsLockPairs) {
        if (pair.scanCode != static_cast<unsigned char>(key.wVirtualScanCode)) continue;
        if (shift && c == static_cast<unsigned char>(pair.unshifted)) return static_cast<unsigned char>(pair.shifted);
        if (!shift && c == static_cast<unsigned char>(pair.shifted)) return static_cast<unsigned char>(pair.unshifted);
    }
    return c;
}

// The key an event at the front of the queue stands for, or no key when the event is to be
// skipped (not a key, a release, a modifier alone).
Key keyOfEvent(const INPUT_RECORD& event) {
    if (event.EventType != KEY_EVENT || !event.Event.KeyEvent.bKeyDown) return Key();
    const KEY_EVENT_RECORD& key = event.Event.KeyEvent;
    const auto scanCode = static_cast<unsigned char>(key.wVirtualScanCode);
    const auto c = static_cast<unsigned char>(key.uChar.AsciiChar);
    const bool alt = (key.dwControlKeyState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    if (c != 0) return alt && isLetterKey(scanCode) ? Key::named(scanCode) : Key::character(capsLockCorrected(key, c));
    if (isLoneModifier(scanCode)) return Key();
    // Esc reported without its character: it is the character 27 whether Caps Lock is on or not,
    // as it is when the console does report it.
    if (scanCode == scanCode::escape) return Key::character(27);
    return Key::named(scanCode);
}

// The first key in the queue, taken out of it; events before it that are no key are dropped.
Key firstKey() {
    const HANDLE keyboard = consoleState().keyboardHandle;
    for (;;) {
        INPUT_RECORD event = {};
        DWORD count = 0;
        if (!PeekConsoleInputA(keyboard, &event, 1, &count) || count == 0) return Key();
        const Key key = keyOfEvent(event);
        ReadConsoleInputA(keyboard, &event, 1, &count);
        if (!key.isNone()) return key;
    }
}

} // namespace

namespace consolePlatform {

// In mode 0 the console hands over one typed character at a time and skips keys without one.
// A console whose mode could not be set hands over whole lines, edited and shown by itself, each
// ending in 13, 10: the 10 is no part of the next line.
unsigned char readTyped() {
    const ConsoleState& state = consoleState();
    for (;;) {
        if (!typedWaiting()) Sleep(1);
        unsigned char c = 0;
        DWORD count = 0;
        if (!ReadFile(state.keyboardHandle, &c, 1, &count, nullptr) || count != 1) continue;
        if (!(state.consoleEchoes && c == 10)) return c;
    }
}

// A key pressed with a character among the events queued; key releases and the like are
// skipped by the read without waiting for them.
bool typedWaiting() {
    INPUT_RECORD events[64];
    DWORD count = 0;
    if (!PeekConsoleInputA(consoleState().keyboardHandle, events, 64, &count)) return false;
    for (DWORD k = 0; k < count; ++k)
        if (events[k].EventType == KEY_EVENT && events[k].Event.KeyEvent.bKeyDown && events[k].Event.KeyEvent.uChar.AsciiChar != 0)
            return true;
    return false;
}

bool isBackspace(unsigned char c) { return c == 8; }

// Control bytes are echoed as they are: the console shows their glyphs or acts on them.
std::size_t shownAs(unsigned char c, char* out) {
    out[0] = static_cast<char>(c);
    return 1;
}

std::size_t erasing(unsigned char, char* out) {
    std::memcpy(out, "\b \b", 3);
    return 3;
}

void echo(const char* bytes, std::size_t count) {
    const ConsoleState& state = consoleState();
    if (state.consoleEchoes) return;
    DWORD written = 0;
    WriteFile(state.screenHandle, bytes, static_cast<DWORD>(count), &written, nullptr);
}

// A wait pauses before each look, so that it never spins.
Key takeKey(bool waitForIt) {
    if (!waitForIt) return firstKey();
    for (;;) {
        Sleep(1);
        if (const Key key = firstKey(); !key.isNone()) return key;
    }
}

// Waits for what standard input holds; a pipe ends only when its writer has closed it.
std::size_t readRedirected(unsigned char* buffer, std::size_t size) {
    DWORD count = 0;
    if (!ReadFile(consoleState().inputHandle, buffer, static_cast<DWORD>(size), &count, nullptr)) return 0;
    return count;
}

// Files and devices answer at once; a pipe that holds nothing yet, or that cannot be asked
// (Wine's pipes from a Unix shell refuse the look), may be waiting for its writer.
bool redirectedWaiting() {
    const HANDLE input = consoleState().inputHandle;
    if (GetFileType(input) != FILE_TYPE_PIPE) return true;
    DWORD waiting = 0;
    return PeekNamedPipe(input, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0;
}

} // namespace consolePlatform
