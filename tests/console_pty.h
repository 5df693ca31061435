#pragma once
// Pseudo-terminals for the console tests: the test plays the user at the master side.
#include <atomic>
#include <string>
#include <thread>

struct PseudoTerminal {
    int master = -1;
    int slave = -1;

    // The slave starts in the modes a new terminal has; `raw` puts it into raw mode at once.
    PseudoTerminal(unsigned short rows, unsigned short columns, bool raw);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    void type(const std::string& bytes) const;
    // What the slave side wrote, read until `expected` bytes came or two seconds passed.
    std::string readScreen(std::size_t expected) const;
    // What the slave side wrote, up to and without `marker`, waiting at most two seconds.
    std::string readScreenUntil(const std::string& marker) const;
};

// Types a long input into a terminal while collecting the echo, so that neither side blocks
// the other when the terminal's buffers fill.
class Typist {
public:
    Typist(const PseudoTerminal& terminal, std::string input);
    ~Typist();
    // Everything echoed once `expected` bytes came or two seconds passed.
    std::string screen(std::size_t expected);

private:
    void run();

    int master_;
    std::string input_;
    std::string screen_;
    std::atomic<std::size_t> screenSize_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
