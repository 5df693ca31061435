#include "app/failure_report.h"

#include "console/console.h"

void reportFailure(const Text& message) {
    startFreshLine(); // not behind the generation counter or a prompt
    // Line ends are 13, 10 everywhere, and the terminal is in raw mode while the program runs.
    printErrorLine("tessera: " + message);
}
