#pragma once

// Ends the process at once with the exit code, as start-up does after the main routine: the
// window threads must not run on into the destruction of static objects. In builds with
// AddressSanitizer the leak check runs first, which an ordinary exit would have run, and a leak
// ends the process with the leak checker's failure instead.
[[noreturn]] void endProcess(int exitCode);
