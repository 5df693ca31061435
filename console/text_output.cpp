#include "console/console.h"
#include "console/output_channel.h"

#include "runtime/errors.h"

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
    writeErrorOutput(line.data(), line.size());
}

Text spaces(std::int32_t count) {
    if (count < 0) {
        raiseError(RunError::noMemory);
        return Text();
    }
    return orNoMemory([count] { return Text(static_cast<std::size_t>(count), ' '); });
}
