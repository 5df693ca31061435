#include "tests/console_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto patience = std::chrono::seconds(2);

// Appends what `fd` holds within 10 ms; false when nothing came.
bool readSome(int fd, std::string& into) {
    pollfd watched{fd, POLLIN, 0};
    if (poll(&watched, 1, 10) <= 0) return false;
    char buffer[4096];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(count));
    return true;
}

} // namespace

PseudoTerminal::PseudoTerminal(unsigned short rows, unsigned short columns, bool raw) {
    winsize size = {};
    size.ws_row = rows;
    size.ws_col = columns;
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty failed");
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
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
    if (write(master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("typing into the terminal failed");
    }
}

std::string PseudoTerminal::readScreen(std::size_t expected) const {
    std::string screen;
    const auto deadline = Clock::now() + patience;
    while (screen.size() < expected && Clock::now() < deadline) readSome(master, screen);
    return screen;
}

std::string PseudoTerminal::readScreenUntil(const std::string& marker) const {
    std::string screen;
    const auto deadline = Clock::now() + patience;
    while (screen.find(marker) == std::string::npos && Clock::now() < deadline) readSome(master, screen);
    return screen.substr(0, screen.find(marker));
}

Typist::Typist(const PseudoTerminal& terminal, std::string input)
    : master_(terminal.master), input_(std::move(input)), thread_([this] { run(); }) {}

Typist::~Typist() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

std::string Typist::screen(std::size_t expected) {
    const auto deadline = Clock::now() + patience;
    while (screenSize_ < expected && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop_ = true;
    thread_.join();
    return screen_;
}

void Typist::run() {
    std::size_t typed = 0;
    while (!stop_) {
        if (typed < input_.size()) {
            const ssize_t count = write(master_, input_.data() + typed, input_.size() - typed);
            if (count > 0) typed += static_cast<std::size_t>(count);
        }
        if (readSome(master_, screen_)) screenSize_ = screen_.size();
    }
}
