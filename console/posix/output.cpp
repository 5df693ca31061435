#include "console/console.h"
#include "console/output_channel.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <limits>

#include "console/posix/console_state.h"
#include "console/posix/write.h"
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

// The cursor's range on the screen. A terminal that reports 0 for a dimension (serial lines
// often do) does not know it, and then any position along it is taken as in range.
struct ScreenSize {
    std::int32_t rows = std::numeric_limits<std::int32_t>::max();
    std::int32_t columns = std::numeric_limits<std::int32_t>::max();
};

ScreenSize screenSize(int handle) {
    ScreenSize size;
    winsize reported = {};
    if (ioctl(handle, TIOCGWINSZ, &reported) != 0) return size;
    if (reported.ws_row > 0) size.rows = reported.ws_row;
    if (reported.ws_col > 0) size.columns = reported.ws_col;
    return size;
}

bool inRange(std::int32_t coordinate, std::int32_t limit) { return coordinate >= 1 && coordinate <= limit; }

} // namespace

RunError writeBytes(int handle, const void* bytes, std::size_t count) {
    const auto outcome = guardedSystemCall([&] { return write(handle, bytes, count); });
    if (outcome.value < 0) return writeError(outcome.error);
    if (static_cast<std::size_t>(outcome.value) < count) return RunError::shortWrite;
    return RunError::none;
}

RunError writeShown(int handle, const void* bytes, std::size_t count) {
    ConsoleState& state = consoleState();
    if (count > 0 && state.screenIsTerminal && handle == state.screenHandle) {
        // Wrapping is the terminal's work: only a line end or a carriage return written last is
        // known to leave the cursor at column 1.
        const char last = static_cast<const char*>(bytes)[count - 1];
        state.screenAtLineStart = last == '\n' || last == '\r';
    }
    return writeBytes(handle, bytes, count);
}

void startFreshLine() {
    const ConsoleState& state = consoleState();
    if (state.screenIsTerminal && !state.screenAtLineStart) writeShown(state.screenHandle, "\r\n", 2);
}

void writeErrorOutput(const char* bytes, std::size_t count) { writeBytes(STDERR_FILENO, bytes, count); }

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

void writeOutput(const char* bytes, std::size_t count) {
    const RunError error = writeShown(consoleState().outputHandle, bytes, count);
    if (error != RunError::none) raiseError(error);
}

// A coordinate out of range is left out of the control sequence, so the terminal keeps its
// current value without the position having to be asked for.
void locate(std::int32_t row, std::int32_t column) {
    ConsoleState& state = consoleState();
    if (!state.screenIsTerminal) return;
    // Row and column 1 are on every screen, and 0 on none: only a larger coordinate needs the
    // screen's size, which costs a system call.
    const ScreenSize size = row > 1 || column > 1 ? screenSize(state.screenHandle) : ScreenSize{};
    const bool rowGiven = inRange(row, size.rows);
    const bool columnGiven = inRange(column, size.columns);

    char sequence[32];
    int length = 0;
    if (rowGiven && columnGiven) {
        length = std::snprintf(sequence, sizeof sequence, "\x1b[%d;%dH", row, column);
    } else if (rowGiven) {
        length = std::snprintf(sequence, sizeof sequence, "\x1b[%dd", row);
    } else if (columnGiven) {
        length = std::snprintf(sequence, sizeof sequence, "\x1b[%dG", column);
    }
    if (length > 0) writeBytes(state.screenHandle, sequence, static_cast<std::size_t>(length));
    if (columnGiven) state.screenAtLineStart = column == 1;
}

// Column 1 is in range on every screen, so locate(0, 1) would write this sequence without
// needing the screen's size.
std::string_view lineStartPrefix() {
    const ConsoleState& state = consoleState();
    return state.screenIsTerminal && state.screenHandle == state.outputHandle ? "\x1b[1G" : "";
}
