#include "app/failure_report.h"

#include <unistd.h>

#include "console/console.h"

void reportFailure(const Text& message) {
    startFreshLine(); // not behind the generation counter or a prompt

    // Line ends are 13, 10 everywhere, and the terminal is in raw mode while the program runs.
    const Text line = "tessera: " + message + "\r\n";
    // Nothing sensible can be done if standard error is gone too.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}
