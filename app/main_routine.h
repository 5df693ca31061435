#pragma once

// The application's main routine: the set-up dialogue, the main loop and the key commands.
// Returns the process exit code.
int mainRoutine();
