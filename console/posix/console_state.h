#pragma once
#include "console/terminal_keys.h"

// The keyboard of the controlling terminal, read through ConsoleState's keyboardHandle.
TerminalKeyboard& terminalKeyboard();

// The console service's process-wide state on a POSIX terminal, filled by open(); the line
// input's read-ahead and end of input are the portable input's.
struct ConsoleState {
    int outputHandle = -1;   // standard output: print and newLine write here
    int screenHandle = -1;   // the terminal screen: standard output if it is a terminal, else standard error
    int inputHandle = -1;    // standard input: lines come from here when it is not a terminal
    int keyboardHandle = -1; // the controlling terminal, opened for reading; keys come from here
    bool inputIsConsole = false;
    bool screenIsTerminal = false;
    // Whether the terminal's cursor stands at column 1, as far as the service's own writes tell;
    // a new process is taken to start on a line of its own.
    bool screenAtLineStart = true;
    // Keyboard bytes read but not yet taken as keys.
    TerminalKeys typedKeys{terminalKeyboard()};
};

// The process's console state; tests may assign a fresh ConsoleState to it.
ConsoleState& consoleState();

// The exit code when the console goes away under the program, as for any run that could not do
// its work.
inline constexpr int lostConsoleExitCode = 1;

// Ends the process when the terminal has gone away (hung up, or its keyboard reads fail): no
// key can ever come again. Restores what can be restored and says so on standard error.
[[noreturn]] void endForLostConsole();
