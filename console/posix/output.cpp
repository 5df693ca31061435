#include "console/platform_console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "console/posix/console_state.h"
#include "console/terminal_text.h"
#include "runtime/errors.h"
#include "runtime/system_call.h"

namespace {

RunError writeError(int error) {
    switch (error) {
    case EBADF: return RunError::unnumbered;
    case EINVAL: return RunError::badArgument;
    case ENOSPC: return RunError::shortWrite;
    case EACCES:
    case EPERM: return RunError::permissionDenied;
    case ENOMEM: return RunError::noMemory;
    default: return RunError::deviceFailure;
    }
}

ScreenSize screenSize(int handle) {
    ScreenSize size;
    winsize reported = {};
    if (ioctl(handle, TIOCGWINSZ, &reported) != 0) return size;
    if (reported.ws_row > 0) size.rows = reported.ws_row;
    if (reported.ws_col > 0) size.columns = reported.ws_col;
    return size;
}

// Writes the bytes to `handle` in one guarded system call.
RunError writeBytes(int handle, const void* bytes, std::size_t count) {
    const auto outcome = guardedSystemCall([&] { return write(handle, bytes, count); });
    if (outcome.value < 0) return writeError(outcome.error);
    if (static_cast<std::size_t>(outcome.value) < count) return RunError::shortWrite;
    return RunError::none;
}

// writeBytes for text that the terminal shows, keeping track of whether the cursor is left at
// column 1 when `handle` is the terminal screen.
RunError writeShown(int handle, const char* bytes, std::size_t count) {
    ConsoleState& state = consoleState();
    if (state.screenIsTerminal && handle == state.screenHandle)
        state.screenAtLineStart = leavesCursorAtLineStart(bytes, count, state.screenAtLineStart);
    return writeBytes(handle, bytes, count);
}

} // namespace

namespace consolePlatform {

RunError writeOutput(const char* bytes, std::size_t count) {
    return writeShown(consoleState().outputHandle, bytes, count);
}

void writeErrorOutput(const char* bytes, std::size_t count) { writeBytes(STDERR_FILENO, bytes, count); }

void echo(const char* bytes, std::size_t count) { writeShown(consoleState().screenHandle, bytes, count); }

// A plain loop of writes: it runs before start-up has prepared anything.
bool writeStandardText(StandardStream stream, std::string_view text) {
    const int handle = stream == StandardStream::output ? STDOUT_FILENO : STDERR_FILENO;
    while (!text.empty()) {
        const ssize_t written = write(handle, text.data(), text.size());
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void locate(std::int32_t row, std::int32_t column) {
    ConsoleState& state = consoleState();
    if (!state.screenIsTerminal) return;
    const ScreenSize size = needsScreenSize(row, column) ? screenSize(state.screenHandle) : ScreenSize{};
    const CursorMove move = cursorMove(row, column, size);
    if (move.length > 0) writeBytes(state.screenHandle, move.sequence, move.length);
    if (move.columnGiven) state.screenAtLineStart = column == 1;
}

std::string_view lineStartPrefix() {
    const ConsoleState& state = consoleState();
    return state.screenIsTerminal && state.screenHandle == state.outputHandle ? toLineStart : "";
}

void startFreshLine() {
    const ConsoleState& state = consoleState();
    if (state.screenIsTerminal && !state.screenAtLineStart) writeShown(state.screenHandle, "\r\n", 2);
}

} // namespace consolePlatform
