#pragma once
#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A pseudo-terminal pair for tests that use the slave side as their own console: the test plays
// the user at the master side.
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

// A child process whose controlling terminal is a fresh pseudo-terminal, driven as a person
// would: bytes typed at the terminal, everything the terminal shows read back. The child is
// killed when the thread that started it ends, so a test that dies leaves nothing running.
struct PtyOptions {
    std::vector<std::string> argv;
    std::vector<std::string> environment; // "NAME=value" added to the parent's environment
    std::string stdinPath;                // standard input from this file instead of the terminal
    std::string stdoutPath;               // standard output to this file instead of the terminal
    std::string stderrPath;               // standard error to this file instead of the terminal
    bool ignoreHangUp = false;            // start with SIGHUP ignored, as nohup does
    // Run as a shell with job control runs a foreground job: in a process group of its own,
    // under a session leader that waits for it. Only then can the job be stopped: the kernel
    // drops stop signals for a group without a parent in its session, as the leader's own is.
    // The job's group is then the terminal's foreground group (tcgetpgrp on masterFd()).
    bool asJob = false;
    // With asJob: the job starts in the background, and the leader hands it the terminal and
    // continues it, as a shell's fg does, when sent SIGUSR1.
    bool inBackground = false;
    unsigned short rows = 24;
    unsigned short columns = 80;
};

class PtyProcess {
public:
    explicit PtyProcess(const PtyOptions& options);
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    void type(std::string_view bytes);
    // Waits until the child has read everything typed so far from its terminal.
    bool waitUntilTypingIsRead(std::chrono::milliseconds timeout);

    // Reads what the terminal shows until the condition holds on all of it, or the time is up.
    bool waitFor(const std::function<bool(const std::string&)>& condition, std::chrono::milliseconds timeout);
    bool waitForText(std::string_view text, std::chrono::milliseconds timeout);
    // Reads for the given time, whatever arrives.
    void readFor(std::chrono::milliseconds time);

    const std::string& output() const { return output_; }

    // The wait status once the child has ended, or nothing when it is still running. Once the
    // child is reaped, output() holds everything it wrote to the terminal.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

    // Closes the terminal's master side, as a terminal emulator that goes away does.
    void hangUp();

    termios terminalModes() const;
    pid_t pid() const { return pid_; }
    int masterFd() const { return master_; }

private:
    bool readAvailable(int timeoutMs);
    void drainUntil(std::chrono::steady_clock::time_point deadline);

    int master_ = -1;
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string output_;
};

// How a child ended, as waitForExit gives it.
bool exitedWith(std::optional<int> status, int code);
bool killedBy(std::optional<int> status, int signalNumber);
std::string describe(std::optional<int> status);

// The modes a new pseudo-terminal starts in, which a program must leave behind.
termios freshTerminalModes();
bool modesRestored(const PtyProcess& program);
// Once the terminal is in raw mode the program reads what is typed byte by byte; typed before
// that, the terminal's own line editing would see it first.
bool waitForRawMode(const PtyProcess& program, std::chrono::milliseconds timeout);

// How often `needle` stands in `haystack`.
int countOf(const std::string& haystack, const std::string& needle);
