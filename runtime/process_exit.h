#pragma once

// Ends the process at once with `code`: no destructors of static objects, no exit handlers,
// and the other threads stop where they are.
[[noreturn]] void endProcess(int code);
