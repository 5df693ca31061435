#include "tests/support/wine_console.h"

PtyOptions wineProgramOptions(const std::string& program) {
    PtyOptions options;
    options.argv = {"sh", "-c", "stty raw -echo </dev/tty && exec /usr/lib/wine/wine64 \"$0\" \"$@\"", program};
    options.environment = {"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
    return options;
}
