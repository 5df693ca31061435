#pragma once
// Whole runs that every build of the program must pass, driven as a person would: answers and
// keys typed at a pseudo-terminal, the terminal's screen read as it shows them, and the window's
// pixels read back from the X server on DISPLAY, with the clock frozen so that every world is known.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/program_run.h"
#include "tests/support/pty_process.h"
#include "tests/support/sleeping_call.h"
#include "tests/support/terminal_screen.h"
#include "tests/support/xvfb_server.h"

// What sets one build apart from another in the driving.
struct ProgramBuild {
    // Starts it with its clock frozen; standard input and output from and to these files when named.
    PtyOptions (*options)(std::string stdinPath, std::string stdoutPath);
    std::chrono::milliseconds startTimeout, stepTimeout;
    // Whether its main thread, asleep in this system call, waits for a key in single-step mode.
    bool (*waitsForKey)(const SleepingCall& call);
    // Where the client area of a window of this size lies in its top-level X window.
    std::optional<PixelArea> (*clientArea)(ScreenProbe& probe, XWindowId window, int width, int height);
    // Wine's console drops a Ctrl+C, and with it keys typed in the moments after.
    bool dropsKeysAfterCtrlC;
};

// One run of a build, its window and its screen.
class DrivenProgram {
public:
    DrivenProgram(const ProgramBuild& build, const PtyOptions& options);

    const ProgramBuild& build() const { return build_; }
    PtyProcess& process() { return process_; }
    ScreenProbe& probe() { return probe_; }
    ScreenWatch& screen() { return screen_; }
    // The top-level window, once it shows; 0 when it does not.
    XWindowId window();
    // The client area's pixels once they are the run's frame, or the last reading.
    std::vector<std::uint32_t> waitForFrame(const ExpectedRun& run);
    // Types the keys once the program waits for a key in single-step mode: typed before, the
    // first would be taken by the generation's own poll for a command.
    testing::AssertionResult stepWith(const std::string& keys);
    // Waits until the rows down to the cursor's end in these, the cursor behind the last one.
    testing::AssertionResult showsAtCursor(const Rows& rows);

private:
    const ProgramBuild& build_;
    PtyProcess process_;
    ScreenProbe probe_;
    ScreenWatch screen_;
};

// Answers the dialogue at the terminal, the "s" typed with the rule polled by the first
// generation: single steps from there.
void startStepping(DrivenProgram& program, const std::string& dimensionsAndMode, const std::string& rule);

// The window shows the reset fill and each generation of the literal step; s ends single steps.
void checkSteppedFrames(const ProgramBuild& build, const PtyOptions& options, RenderMode mode);
// In single steps: the digits, x, r and n, each judged by the window's pixels and the screen's
// counter; q during a wait only releases it, s ends single steps, and Q quits.
void checkKeysInSingleSteps(const ProgramBuild& build);
// Standard input and output redirected to files: the transcript is exact.
void checkRedirectedTranscript(const ProgramBuild& build);
void checkClosingTheWindowEndsTheProgram(const ProgramBuild& build);
void checkInputEndingBeforeARuleEndsTheProgram(const ProgramBuild& build);
// The screen of a typed 40 x 30 dialogue with black-and-white rule 1/23/3, after each step: each
// answer on its prompt's line and nowhere else, nothing repeated, the legend, then the counter on
// a line of its own. A Ctrl+C taken back with Backspace at the first prompt changes nothing; one
// typed while the automaton runs is a key like any other; q ends the program with exit status 0.
void checkTypedDialogueScreen(const ProgramBuild& build);
