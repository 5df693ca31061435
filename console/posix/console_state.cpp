#include "console/posix/console_state.h"

ConsoleState& consoleState() {
    static ConsoleState state;
    return state;
}
