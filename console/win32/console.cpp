#include "console/platform_console.h"

#include <atomic>

#include "console/win32/console_state.h"

namespace {

// What the console looked like before the program changed it, put back at every exit.
struct SavedConsole {
    DWORD screenMode = 0;
    bool screenModeSaved = false;
    DWORD keyboardMode = 0;
    bool keyboardModeSaved = false;
    CONSOLE_CURSOR_INFO cursor = {};
    bool cursorSaved = false;
    UINT inputCodePage = 0;
    UINT outputCodePage = 0;
};

SavedConsole saved;
// Claimed by an exchange, so that the control handler's thread and an ordinary exit cannot
// restore twice or half each.
std::atomic<bool> restorePending{false};

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

void saveConsole(const ConsoleState& state) {
    saved.screenModeSaved = GetConsoleMode(state.screenHandle, &saved.screenMode) != 0;
    saved.keyboardModeSaved = GetConsoleMode(state.keyboardHandle, &saved.keyboardMode) != 0;
    saved.cursorSaved = GetConsoleCursorInfo(state.screenHandle, &saved.cursor) != 0;
    saved.inputCodePage = GetConsoleCP();
    saved.outputCodePage = GetConsoleOutputCP();
    restorePending.store(true);
}

void restoreConsole() {
    if (!restorePending.exchange(false)) return;
    const ConsoleState& state = consoleState();
    if (saved.screenModeSaved) SetConsoleMode(state.screenHandle, saved.screenMode);
    if (saved.keyboardModeSaved) SetConsoleMode(state.keyboardHandle, saved.keyboardMode);
    if (saved.cursorSaved) SetConsoleCursorInfo(state.screenHandle, &saved.cursor);
    if (saved.inputCodePage) SetConsoleCP(saved.inputCodePage);
    if (saved.outputCodePage) SetConsoleOutputCP(saved.outputCodePage);
}

// Ctrl+Break, the console window closed, the user logging off: the console gets its modes back
// and the system's default handling then ends the process. Ctrl+C never arrives here, since the
// keyboard's mode 0 makes it an ordinary key.
BOOL WINAPI restoreOnControlEvent(DWORD) {
    restoreConsole();
    return FALSE;
}

void ensureVisibleCursor(const ConsoleState& state) {
    CONSOLE_CURSOR_INFO cursor = {};
    if (GetConsoleCursorInfo(state.screenHandle, &cursor) && cursor.dwSize != 0) return;
    if (GetConsoleCursorInfo(state.outputHandle, &cursor) && cursor.dwSize != 0) return;
    cursor.dwSize = 10;
    cursor.bVisible = TRUE;
    SetConsoleCursorInfo(state.screenHandle, &cursor);
}

} // namespace

ConsoleState& consoleState() {
    static ConsoleState state;
    return state;
}

namespace consolePlatform {

void open() {
    ConsoleState& state = consoleState();
    state = ConsoleState{};
    state.inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    state.outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    state.outputIsConsole = isConsole(state.outputHandle);
    state.screenHandle = state.outputIsConsole ? state.outputHandle : GetStdHandle(STD_ERROR_HANDLE);
    // Setting the input mode needs write access: a handle for reading alone is denied it.
    state.keyboardHandle = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
    state.inputIsConsole = isConsole(state.inputHandle);

    saveConsole(state);
    SetConsoleCtrlHandler(restoreOnControlEvent, TRUE);
    // A screen that is no console (redirected) has no mode to set; its text goes out unchanged.
    if (saved.screenModeSaved) SetConsoleMode(state.screenHandle, ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT);
    // The console's input buffer, also when standard input is redirected: keys must arrive raw,
    // with Ctrl+C as a key, whichever way the lines come. Where that is refused, the console
    // goes on showing what is typed, and the line editor must not show it a second time.
    state.consoleEchoes = state.inputIsConsole && !SetConsoleMode(state.keyboardHandle, 0);
    ensureVisibleCursor(state);
}

void close() {
    ConsoleState& state = consoleState();
    restoreConsole();
    SetConsoleCtrlHandler(restoreOnControlEvent, FALSE);
    if (state.keyboardHandle != INVALID_HANDLE_VALUE) CloseHandle(state.keyboardHandle);
    state.keyboardHandle = INVALID_HANDLE_VALUE;
}

bool linesFromKeyboard() { return consoleState().inputIsConsole; }

} // namespace consolePlatform
