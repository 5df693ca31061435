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

int main() { startUp(mainRoutine, {prepareServices, shutDownConsole}); }
