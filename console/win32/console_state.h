#pragma once
#include <windows.h>

// The console service's process-wide state on the Windows console, filled by open(); the line
// input's read-ahead and end of input are the portable input's.
struct ConsoleState {
    HANDLE outputHandle = INVALID_HANDLE_VALUE;   // standard output: print and newLine write here
    HANDLE screenHandle = INVALID_HANDLE_VALUE;   // standard output if it is a console, else standard error
    HANDLE inputHandle = INVALID_HANDLE_VALUE;    // standard input: lines come from here when it is not a console
    HANDLE keyboardHandle = INVALID_HANDLE_VALUE; // "CONIN$": keys always, lines when standard input is the console
    bool outputIsConsole = false;
    bool inputIsConsole = false;
    // The keyboard's mode could not be set to 0: the console itself edits and shows typed lines.
    bool consoleEchoes = false;
};

ConsoleState& consoleState();
