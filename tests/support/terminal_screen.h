#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/pty_process.h"

struct VTerm;

// What a person sees on a terminal: each row's text without trailing blanks (trailing empty rows
// dropped) and where the cursor stands, 0-based.
struct ScreenPicture {
    std::vector<std::string> rows;
    int cursorRow = 0;
    int cursorColumn = 0;
};

// A real terminal emulator of a fixed size that a program's output is played through, so that a
// test judges the screen rather than the bytes: control sequences and repaints are acted on.
class TerminalScreen {
public:
    TerminalScreen(int rows, int columns);
    ~TerminalScreen();
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

    // Plays whatever `written` holds beyond what earlier calls were given: `written` is all a
    // program has written so far.
    void catchUp(const std::string& written);
    ScreenPicture picture() const;

private:
    struct Free {
        void operator()(VTerm* terminal) const;
    };
    std::unique_ptr<VTerm, Free> terminal_;
    int rows_, columns_;
    std::size_t played_ = 0;
};

// The rows joined by line feeds, for a readable failure message.
std::string shown(const ScreenPicture& screen);

using Rows = std::vector<std::string>;
// The rows a text of the program's shows, split at its line ends.
Rows rowsOf(const std::string& text);
Rows operator+(Rows rows, const Rows& more);

// A program's terminal screen, played as its output arrives.
class ScreenWatch {
public:
    ScreenWatch(PtyProcess& program, int rows, int columns) : program_(program), screen_(rows, columns) {}

    // Reads the program's output until the screen satisfies the condition or the time is up.
    bool await(const std::function<bool(const ScreenPicture&)>& condition, std::chrono::milliseconds timeout);
    // The screen shows exactly these rows, the cursor behind the last one.
    bool shows(const Rows& rows, std::chrono::milliseconds timeout);
    // The rows down to the cursor's end in these, the cursor behind the last one.
    bool showsAtCursor(const Rows& rows, std::chrono::milliseconds timeout);
    ScreenPicture picture() const { return screen_.picture(); }

private:
    PtyProcess& program_;
    TerminalScreen screen_;
};
