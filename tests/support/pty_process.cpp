#include "tests/support/pty_process.h"
#include "tests/support/eventually.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void redirect(const std::string& path, int flags, int target) {
    if (path.empty()) return;
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0 || dup2(fd, target) < 0) _exit(126);
    close(fd);
}

void dieWithParent(pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(126); // the parent ended before the line above took hold
}

// The session leader's part: waits for the job, through its stops, and ends as it ended.
[[noreturn]] void waitForJob(pid_t job) {
    int status = 0;
    while (waitpid(job, &status, 0) < 0)
        if (errno != EINTR) _exit(127);
    if (WIFSIGNALED(status)) {
        signal(WTERMSIG(status), SIG_DFL);
        kill(getpid(), WTERMSIG(status));
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
}

// Makes the caller a job of the terminal on standard input, with the session leader left behind
// waiting for it. Both sides set the group, so a foreground job owns the terminal before it can
// touch it; a background job gets it when the leader is sent SIGUSR1.
void becomeJob(bool inBackground) {
    const pid_t leader = getpid();
    sigset_t foreground;
    sigemptyset(&foreground);
    sigaddset(&foreground, SIGUSR1);
    sigprocmask(SIG_BLOCK, &foreground, nullptr); // from before the fork, so that none is missed
    const pid_t job = fork();
    if (job < 0) _exit(126);
    const pid_t group = job > 0 ? job : getpid();
    signal(SIGTTOU, SIG_IGN); // a background group may hand the terminal over only so
    setpgid(group, group);
    if (!inBackground) tcsetpgrp(STDIN_FILENO, group);
    if (job > 0) {
        int received = 0;
        if (inBackground && sigwait(&foreground, &received) == 0) {
            tcsetpgrp(STDIN_FILENO, group);
            kill(-group, SIGCONT);
        }
        waitForJob(job);
    }
    sigprocmask(SIG_UNBLOCK, &foreground, nullptr);
    signal(SIGTTOU, SIG_DFL);
    dieWithParent(leader);
}

[[noreturn]] void execChild(const PtyOptions& options, pid_t parent) {
    dieWithParent(parent);
    const rlimit noCore{0, 0}; // an abort or SIGQUIT on purpose dumps no core
    setrlimit(RLIMIT_CORE, &noCore);
    if (options.asJob) becomeJob(options.inBackground);
    if (options.ignoreHangUp) signal(SIGHUP, SIG_IGN);
    redirect(options.stdinPath, O_RDONLY, STDIN_FILENO);
    redirect(options.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    redirect(options.stderrPath, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
    for (const std::string& entry : options.environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> argv;
    for (const std::string& argument : options.argv) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Generous: the drain normally ends at once, when the slave side is found closed.
constexpr std::chrono::seconds drainTime{10};

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

PseudoTerminal::PseudoTerminal(unsigned short rows, unsigned short columns, bool raw) {
    winsize size = {};
    size.ws_row = rows;
    size.ws_col = columns;
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty failed");
    if (raw) {
        termios modes;
        tcgetattr(slave, &modes);
        cfmakeraw(&modes);
        tcsetattr(slave, TCSANOW, &modes);
    }
}

PseudoTerminal::~PseudoTerminal() {
    close(master);
    close(slave);
}

void PseudoTerminal::type(const std::string& bytes) const {
    for (std::size_t typed = 0; typed < bytes.size();) {
        const ssize_t count = write(master, bytes.data() + typed, bytes.size() - typed);
        if (count <= 0) throw std::runtime_error("typing into the terminal failed");
        typed += static_cast<std::size_t>(count);
    }
}

std::string PseudoTerminal::readScreen(std::size_t expected) const {
    std::string screen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (screen.size() < expected && std::chrono::steady_clock::now() < deadline) {
        pollfd watched{master, POLLIN, 0};
        char buffer[4096];
        if (poll(&watched, 1, 10) <= 0) continue;
        const ssize_t count = read(master, buffer, std::min(sizeof buffer, expected - screen.size()));
        if (count > 0) screen.append(buffer, static_cast<std::size_t>(count));
    }
    return screen;
}

PtyProcess::PtyProcess(const PtyOptions& options) {
    winsize size{};
    size.ws_row = options.rows;
    size.ws_col = options.columns;
    const pid_t parent = getpid();
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) throw std::runtime_error("forkpty failed");
    if (pid_ == 0) execChild(options, parent);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyProcess::~PtyProcess() {
    if (!status_) {
        kill(pid_, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
    if (master_ >= 0) close(master_);
}

void PtyProcess::type(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(master_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                readAvailable(10); // keep the terminal's output flowing so the child can go on
                continue;
            }
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool PtyProcess::waitUntilTypingIsRead(std::chrono::milliseconds timeout) {
    const int slave = open(ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) return false;
    const bool read = waitFor(
        [slave](const std::string&) {
            int unread = 0;
            return ioctl(slave, FIONREAD, &unread) == 0 && unread == 0;
        },
        timeout);
    close(slave);
    return read;
}

bool PtyProcess::readAvailable(int timeoutMs) {
    pollfd descriptor{master_, POLLIN, 0};
    if (poll(&descriptor, 1, timeoutMs) <= 0) return false;
    char buffer[65536];
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) return false;
    output_.append(buffer, static_cast<std::size_t>(count));
    return true;
}

bool PtyProcess::waitFor(const std::function<bool(const std::string&)>& condition,
                         std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition(output_)) {
        const int left = remainingMs(deadline);
        if (left == 0) return false;
        readAvailable(left < 50 ? left : 50);
    }
    return true;
}

bool PtyProcess::waitForText(std::string_view text, std::chrono::milliseconds timeout) {
    return waitFor([text](const std::string& shown) { return shown.find(text) != std::string::npos; }, timeout);
}

void PtyProcess::readFor(std::chrono::milliseconds time) {
    const auto deadline = Clock::now() + time;
    while (int left = remainingMs(deadline)) readAvailable(left);
}

std::optional<int> PtyProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!status_) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            // What the child wrote just before it ended may still sit in the terminal.
            drainUntil(std::max(deadline, Clock::now() + drainTime));
            break;
        }
        if (remainingMs(deadline) == 0) break;
        readAvailable(10);
    }
    return status_;
}

// Reads until the slave side is closed by everyone and nothing is left (the master then reports
// end of file or EIO), or until the deadline if something else still holds the slave open.
void PtyProcess::drainUntil(Clock::time_point deadline) {
    if (master_ < 0) return;
    char buffer[65536];
    for (;;) {
        pollfd descriptor{master_, POLLIN, 0};
        if (poll(&descriptor, 1, remainingMs(deadline)) <= 0) return;
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count > 0) {
            output_.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            return;
        }
    }
}

void PtyProcess::hangUp() {
    close(master_);
    master_ = -1;
}

termios PtyProcess::terminalModes() const {
    termios modes{};
    tcgetattr(master_, &modes);
    return modes;
}

bool exitedWith(std::optional<int> status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

bool killedBy(std::optional<int> status, int signalNumber) {
    return status && WIFSIGNALED(*status) && WTERMSIG(*status) == signalNumber;
}

std::string describe(std::optional<int> status) {
    if (!status) return "still running";
    if (WIFEXITED(*status)) return "exit code " + std::to_string(WEXITSTATUS(*status));
    if (WIFSIGNALED(*status)) return "signal " + std::to_string(WTERMSIG(*status));
    return "status " + std::to_string(*status);
}

termios freshTerminalModes() {
    const PseudoTerminal terminal(24, 80, false);
    termios modes{};
    tcgetattr(terminal.slave, &modes);
    return modes;
}

bool modesRestored(const PtyProcess& program) {
    const termios fresh = freshTerminalModes();
    const termios after = program.terminalModes();
    return after.c_lflag == fresh.c_lflag && after.c_iflag == fresh.c_iflag && after.c_oflag == fresh.c_oflag &&
           after.c_cflag == fresh.c_cflag;
}

bool waitForRawMode(const PtyProcess& program, std::chrono::milliseconds timeout) {
    return eventually([&] { return (program.terminalModes().c_lflag & (ECHO | ICANON)) == 0; }, timeout);
}

int countOf(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}
