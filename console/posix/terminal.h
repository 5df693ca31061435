#pragma once

// Puts the terminal behind `handle` into raw mode: no echo, no line editing, no signals from
// Ctrl+C, Ctrl+\ or Ctrl+Z (they arrive as bytes 3, 28, 26), Enter as byte 13, output bytes
// passed on unchanged. The modes it had are put back by restoreTerminalModes, which also runs at
// process exit and when SIGTERM, SIGHUP, SIGINT or SIGQUIT arrives; the signal then takes its
// default action. Job control keeps the terminal usable: SIGTSTP restores the modes before the
// process stops, and SIGCONT puts raw mode back. False when `handle` is not a terminal.
bool enterRawMode(int handle);

// Puts back the modes saved by enterRawMode; does nothing when they are already back.
// Async-signal-safe.
void restoreTerminalModes();

// Ignores SIGPIPE, so that a write into a closed pipe fails with an error instead of ending
// the process.
void ignoreBrokenPipes();
