#pragma once
// Pseudo-terminals for the console tests: the test plays the user at the master side.
#include <string>

struct PseudoTerminal {
    int master = -1;
    int slave = -1;

    // The slave starts in the modes a new terminal has; `raw` puts it into raw mode at once.
    PseudoTerminal(unsigned short rows, unsigned short columns, bool raw);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Types every byte, waiting while the terminal's input buffer is full.
    void type(const std::string& bytes) const;
    // What the slave side wrote, read until `expected` bytes came or a generous deadline passed.
    std::string readScreen(std::size_t expected) const;
};
