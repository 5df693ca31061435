#include "console/terminal.h"

#include <signal.h>
#include <termios.h>

#include <atomic>
#include <cstdlib>

namespace {

termios savedModes;
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
    rawModeHandle.store(handle);
    arrangeRestoreAtExit();
    const termios raw = rawModes(modes);
    return tcsetattr(handle, TCSANOW, &raw) == 0;
}

void restoreTerminalModes() {
    const int handle = rawModeHandle.exchange(-1);
    if (handle >= 0) tcsetattr(handle, TCSANOW, &savedModes);
}

void ignoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }
