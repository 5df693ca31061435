#include "console/platform_console.h"
#include "console/posix/console_state.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "console/posix/terminal.h"
#include "runtime/process_end.h"

namespace consolePlatform {

void open() {
    ConsoleState& state = consoleState();
    state = ConsoleState{};
    state.inputHandle = STDIN_FILENO;
    state.outputHandle = STDOUT_FILENO;
    state.screenHandle = isatty(STDOUT_FILENO) ? STDOUT_FILENO : STDERR_FILENO;
    state.screenIsTerminal = isatty(state.screenHandle);
    // A description of our own, so that making it non-blocking leaves standard input alone.
    state.keyboardHandle = ::open("/dev/tty", O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    // Without a controlling terminal there is no keyboard for the line editor to read from;
    // a terminal on standard input is then read like any other input.
    state.inputIsConsole = isatty(STDIN_FILENO) && state.keyboardHandle >= 0;

    ignoreBrokenPipes();
    if (state.keyboardHandle >= 0) enterRawMode(state.keyboardHandle);
}

void close() {
    ConsoleState& state = consoleState();
    restoreTerminalModes();
    if (state.keyboardHandle >= 0) ::close(state.keyboardHandle);
    state.keyboardHandle = -1;
}

bool linesFromKeyboard() { return consoleState().inputIsConsole; }

} // namespace consolePlatform

void endForLostConsole() {
    restoreTerminalModes();
    const char message[] = "tessera: the terminal has gone away\r\n";
    // Standard error may have gone with the terminal; then nothing more can be said.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, std::strlen(message));
    endProcess(lostConsoleExitCode);
}
