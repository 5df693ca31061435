// Drives the console service in a process of its own for the tests. It prepares the console,
// prints "ready", then carries out the operations named by its arguments in order:
//   readline, waitkey   print the result as "readline=<hex>" / "waitkey=<hex>"
//   print=TEXT          print TEXT
//   locate=ROW,COLUMN   move the cursor
//   newline             end the line
//   exit=CODE           end through exit(), without shutting the console down
//   abort               end through abort(), as a failed assertion would
// and at the end shuts the console down and ends with _exit(0), as start-up does.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/posix/console_state.h"
#include "console/console.h"

namespace {

void report(const char* operation, const Text& result) {
    std::string hex;
    char digits[3];
    for (const unsigned char c : result) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        hex += digits;
    }
    printLine(std::string(operation) + "=" + hex);
}

void perform(const std::string& operation) {
    const std::size_t equals = operation.find('=');
    const std::string name = operation.substr(0, equals);
    const std::string argument = equals == std::string::npos ? "" : operation.substr(equals + 1);
    if (name == "readline") {
        report("readline", readLine());
    } else if (name == "waitkey") {
        report("waitkey", waitKey().text());
    } else if (name == "print") {
        print(argument);
    } else if (name == "locate") {
        locate(std::atoi(argument.c_str()), std::atoi(argument.c_str() + argument.find(',') + 1));
    } else if (name == "newline") {
        newLine();
    } else if (name == "exit") {
        std::exit(std::atoi(argument.c_str()));
    } else if (name == "abort") {
        std::abort();
    }
}

} // namespace

int main(int argc, char** argv) {
    initConsole();
    printLine("ready");
    for (int i = 1; i < argc; ++i) perform(argv[i]);
    shutDownConsole();
    _exit(0);
}
