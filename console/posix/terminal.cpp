#include "console/posix/terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

termios savedModes;
termios rawModesInForce;
// The terminal whose modes are to be put back, -1 when there is nothing to restore. Claimed by
// an atomic exchange so a signal arriving during an ordinary restore cannot restore twice.
std::atomic<int> rawModeHandle{-1};
static_assert(std::atomic<int>::is_always_lock_free, "used from signal handlers");

// Those another process sends, and SIGABRT, with which a failed assertion or an uncaught
// exception (std::terminate) ends the process. The crash signals are left to their own
// handlers (the sanitizers' among them), which would otherwise lose their reports.
constexpr int terminatingSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT};

void restoreAndResignal(int signalNumber) {
    restoreTerminalModes();
    // SA_RESETHAND has already put the default action back, and SA_NODEFER leaves the signal
    // unblocked, so raising it again ends the process the way the sender intended.
    raise(signalNumber);
}

// A stop leaves the terminal as it was found, for the shell and whatever runs meanwhile.
void restoreAndStop(int) {
    const int savedErrno = errno;
    const int handle = rawModeHandle.load();
    if (handle >= 0) tcsetattr(handle, TCSANOW, &savedModes);
    // The stop itself is the default action: raised while this handler holds the signal
    // blocked, it takes effect when the signal is unblocked.
    signal(SIGTSTP, SIG_DFL);
    raise(SIGTSTP);
    sigset_t stopSignal;
    sigemptyset(&stopSignal);
    sigaddset(&stopSignal, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stopSignal, nullptr);
    // Continued: SIGCONT has put the raw mode back, and the next stop is to be caught again.
    signal(SIGTSTP, restoreAndStop);
    errno = savedErrno;
}

// After any stop, SIGSTOP included, the shell may have put its own modes on the terminal. They
// are replaced only while this process is in the foreground: in the background, setting them
// would stop it again.
void reenterRawMode(int) {
    const int savedErrno = errno;
    const int handle = rawModeHandle.load();
    if (handle >= 0 && tcgetpgrp(handle) == getpgrp()) tcsetattr(handle, TCSANOW, &rawModesInForce);
    errno = savedErrno;
}

void installJobControlHandlers() {
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    action.sa_handler = reenterRawMode;
    sigaction(SIGCONT, &action, nullptr);
    struct sigaction current = {};
    sigaction(SIGTSTP, nullptr, &current);
    if (current.sa_handler == SIG_IGN) return;
    action.sa_handler = restoreAndStop;
    sigaction(SIGTSTP, &action, nullptr);
}

void installRestoringHandlers() {
    for (const int signalNumber : terminatingSignals) {
        struct sigaction current = {};
        sigaction(signalNumber, nullptr, &current);
        // A signal the parent chose to ignore (nohup, background jobs) stays ignored.
        if (current.sa_handler == SIG_IGN) continue;
        struct sigaction action = {};
        action.sa_handler = restoreAndResignal;
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
}

void arrangeRestoreAtExit() {
    static const bool registered = [] {
        std::atexit(restoreTerminalModes);
        installRestoringHandlers();
        installJobControlHandlers();
        return true;
    }();
    (void)registered;
}

termios rawModes(termios modes) {
    modes.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    modes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    modes.c_cflag |= CS8;
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    return modes;
}

} // namespace

bool enterRawMode(int handle) {
    termios modes;
    if (tcgetattr(handle, &modes) != 0) return false;
    restoreTerminalModes();
    savedModes = modes;
    rawModesInForce = rawModes(modes);
    rawModeHandle.store(handle);
    arrangeRestoreAtExit();
    return tcsetattr(handle, TCSANOW, &rawModesInForce) == 0;
}

void restoreTerminalModes() {
    const int handle = rawModeHandle.exchange(-1);
    if (handle >= 0) tcsetattr(handle, TCSANOW, &savedModes);
}

void ignoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }
