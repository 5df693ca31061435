#include "console/console.h"
#include "console/platform_console.h"

#include "runtime/errors.h"

namespace {
void writeOutput(const char* bytes, std::size_t count) {
    const RunError error = consolePlatform::writeOutput(bytes, count);
    if (error != RunError::none) raiseError(error);
}
} // namespace

void print(const Text& text) {
    if (!text.empty()) writeOutput(text.data(), text.size());
}

void newLine() { writeOutput("\r\n", 2); }

void printLine(const Text& text) {
    print(text);
    newLine();
}

void printErrorLine(const Text& text) {
    const Text line = orNoMemory([&text] { return text + "\r\n"; });
    consolePlatform::writeErrorOutput(line.data(), line.size());
}

bool writeStandardText(StandardStream stream, std::string_view text) {
    return consolePlatform::writeStandardText(stream, text);
}

void startFreshLine() { consolePlatform::startFreshLine(); }

void locate(std::int32_t row, std::int32_t column) { consolePlatform::locate(row, column); }

// The counter line is rewritten every generation, so the cursor's move and the text go in one
// write where they can.
void printAtLineStart(const Text& text) {
    const std::string_view prefix = consolePlatform::lineStartPrefix();
    char line[128];
    if (prefix.empty() || prefix.size() + text.size() > sizeof line) {
        locate(0, 1);
        print(text);
        return;
    }
    prefix.copy(line, prefix.size());
    text.copy(line + prefix.size(), text.size());
    writeOutput(line, prefix.size() + text.size());
}

Text spaces(std::int32_t count) {
    if (count < 0) {
        raiseError(RunError::noMemory);
        return Text();
    }
    return orNoMemory([count] { return Text(static_cast<std::size_t>(count), ' '); });
}
