#include "app/command_line.h"
#include "app/main_routine.h"
#include "console/console.h"
#include "random_and_time/random.h"
#include "runtime/start_up.h"

namespace {
void prepareServices() {
    initConsole();
    resetRandomState();
}
} // namespace

int main(int argc, char** argv) {
    // Answered before the console is prepared, so that an answer leaves the console as it was.
    if (const auto exitCode = answerCommandLine(argc, argv)) return *exitCode;
    startUp(mainRoutine, {prepareServices, shutDownConsole});
}
