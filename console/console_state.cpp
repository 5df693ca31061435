#include "console/console_state.h"

ConsoleState& consoleState() {
    static ConsoleState state;
    return state;
}
