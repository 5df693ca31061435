#include "app/main_routine.h"
#include "console/console.h"
#include "runtime/start_up.h"
#include "text/random.h"

namespace {
void prepareServices() {
    initConsole();
    resetRandomState();
}
} // namespace

int main() { startUp(mainRoutine, {prepareServices, shutDownConsole}); }
