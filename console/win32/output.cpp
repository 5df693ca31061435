#include "console/platform_console.h"

#include <cstdint>
#include <string>

#include "console/win32/console_state.h"
#include "runtime/errors.h"
#include "runtime/system_call.h"

namespace {

// The run-time error numbers of the system's error codes 1 to 39 (index = code); 0 is unused.
constexpr std::uint8_t errorNumbersOfLowCodes[40] = {
    0,  75, 53, 76, 67, 70, 51, 241, 7,  241, 241, 51, 51, 51, 7,  68, 75, 74, 53, 70,
    68, 71, 51, 72, 51, 72, 72, 72,  72, 72,  72,  72, 70, 70, 72, 72, 70, 75, 62, 61,
};

RunError writeError(DWORD code) {
    if (code < 40) return static_cast<RunError>(errorNumbersOfLowCodes[code]);
    if (code == ERROR_INVALID_PARAMETER) return RunError::badArgument;
    if (code == ERROR_DISK_FULL) return RunError::shortWrite;
    return RunError::deviceFailure;
}

bool inRange(std::int32_t coordinate, SHORT limit) { return coordinate >= 1 && coordinate <= limit; }

} // namespace

namespace consolePlatform {

// A write counts as failed when the system reports an error code after it, even if WriteFile
// claimed success; a write that reports none but wrote less is short.
RunError writeOutput(const char* bytes, std::size_t count) {
    DWORD written = 0;
    const auto outcome = guardedSystemCall([&] {
        return WriteFile(consoleState().outputHandle, bytes, static_cast<DWORD>(count), &written, nullptr);
    });
    if (outcome.error != 0) return writeError(static_cast<DWORD>(outcome.error));
    if (!outcome.value || written < count) return RunError::shortWrite;
    return RunError::none;
}

void writeErrorOutput(const char* bytes, std::size_t count) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes, static_cast<DWORD>(count), &written, nullptr);
}

bool writeStandardText(StandardStream stream, std::string_view text) {
    std::string bytes;
    for (const char byte : text) bytes += byte == '\n' ? std::string_view("\r\n") : std::string_view(&byte, 1);
    const HANDLE handle = GetStdHandle(stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD written = 0;
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void locate(std::int32_t row, std::int32_t column) {
    const HANDLE screen = consoleState().screenHandle;
    CONSOLE_SCREEN_BUFFER_INFO buffer = {};
    if (!GetConsoleScreenBufferInfo(screen, &buffer)) return;
    COORD position = buffer.dwCursorPosition;
    if (inRange(row, buffer.dwSize.Y)) position.Y = static_cast<SHORT>(row - 1);
    if (inRange(column, buffer.dwSize.X)) position.X = static_cast<SHORT>(column - 1);
    SetConsoleCursorPosition(screen, position);
}

// Each console call is slow, and a carriage return moves the console's cursor exactly as
// locate(0, 1) does. Redirected output must not receive it.
std::string_view lineStartPrefix() { return consoleState().outputIsConsole ? "\r" : ""; }

// The console knows where its cursor stands, so nothing need be tracked here as on a terminal.
void startFreshLine() {
    const HANDLE screen = consoleState().screenHandle;
    CONSOLE_SCREEN_BUFFER_INFO buffer = {};
    if (!GetConsoleScreenBufferInfo(screen, &buffer) || buffer.dwCursorPosition.X == 0) return;
    DWORD written = 0;
    WriteFile(screen, "\r\n", 2, &written, nullptr);
}

} // namespace consolePlatform
