#include "tests/support/pty_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
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

[[noreturn]] void execChild(const PtyOptions& options) {
    const rlimit noCore{0, 0}; // an abort or SIGQUIT on purpose dumps no core
    setrlimit(RLIMIT_CORE, &noCore);
    redirect(options.stdinPath, O_RDONLY, STDIN_FILENO);
    redirect(options.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    for (const std::string& entry : options.environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> argv;
    for (const std::string& argument : options.argv) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
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
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) throw std::runtime_error("forkpty failed");
    if (pid_ == 0) execChild(options);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyProcess::~PtyProcess() {
    if (!status_) {
        kill(pid_, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
    close(master_);
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
            // What the child wrote just before it ended may still be in the terminal.
            while (readAvailable(0)) {
            }
            break;
        }
        if (remainingMs(deadline) == 0) break;
        readAvailable(10);
    }
    return status_;
}

termios PtyProcess::terminalModes() const {
    termios modes{};
    tcgetattr(master_, &modes);
    return modes;
}
