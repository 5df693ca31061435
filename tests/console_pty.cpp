#include "tests/console_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

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
