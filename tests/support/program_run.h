#pragma once
// What the tests that drive the whole program share, whichever build of it they drive: the
// frozen seed and the run it gives, and the texts the program prints, all written out here
// rather than taken from the program's code.
#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/rule.h"
#include "tests/support/documented_random.h"
#include "tests/support/headless_world.h"
#include "tests/support/pty_process.h"
#include "tests/support/xvfb_server.h"

// The programs run with the wall clock frozen at 12:00:00.000, so the seed is known.
inline constexpr float frozenTimeOfDay = 43200;
inline constexpr char frozenDate[] = "2026-12-08 12:00:00";
// "NAME=value" entries that start a program with its wall clock frozen there.
std::vector<std::string> frozenClockEnvironment();

inline const std::string legend = "\r\nGO!\r\nR = Reset [also - 0-9 for % fill]\r\nN = New Rules\r\n"
                                  "X = Random Rules\r\nQ = Quit\r\nS = Step On/Off\r\n";
inline const std::string ruleExamples = "Conway rulesubset (Size/Survive/Born) -- examples:\r\n"
                                        "1/23/3 - Game of Life\r\n1/23/36 - Highlife\r\n1/34/34 - 34 Life\r\n"
                                        "1/5/345 - Long Life\r\n1/1358/357 - Amoeba\r\n"
                                        "1/235678/378 - Coagulations\r\n1/5678/35678 - Diamoebas\r\n";

// Answers to the whole dialogue, one per line: a 20 x 30 world, grey rules at the default speed,
// the rule 1/23/3.
inline const std::string dialogueAnswers = "20\r\n30\r\n2\r\n\r\n1/23/3\r\n";
// Checks the transcript of a run given dialogueAnswers, typed or from a file, and writing into a
// file or pipe: the whole dialogue, then nothing but the counter, one generation after another,
// with no cursor movement. Gives the number of generations it shows (0 when the dialogue differs).
long expectTranscriptOfAnsweredRun(const std::string& written);

// A command line the program answers instead of running: its arguments, the exit code, all it
// writes to standard output and to standard error, with line ends "\n".
struct CommandLineAnswer {
    std::vector<std::string> arguments;
    int exitCode;
    std::string output;
    std::string errors;
};
// Shown by the test names: the arguments.
void PrintTo(const CommandLineAnswer& answer, std::ostream* stream);
// The answers every build gives; its help lists its help options in `helpOptionsLine`.
std::vector<CommandLineAnswer> commandLineAnswers(const std::string& helpOptionsLine);
// Starts the program as `options` do, with the answer's arguments added and its standard output
// and error sent to files, and checks what it wrote there, with line ends `lineEnd`, and how it
// ended. What the terminal showed.
std::string expectAnswered(const CommandLineAnswer& answer, PtyOptions options, const std::string& lineEnd);

// The run the program makes from the frozen seed: the fills from the documented generator, in the
// order the program draws them, and the generations from the literal step.
class ExpectedRun {
public:
    // The first reset step's fill.
    ExpectedRun(std::int32_t width, std::int32_t height, Rule rule);

    std::int32_t width() const { return world_.world().width(); }
    std::int32_t height() const { return world_.world().height(); }

    void step();
    // The reset step's fill again, from the numbers after those drawn so far: r, and a new rule.
    void refill();
    void densityFill(int digit);
    // The x key's draw, in the rule's notation; the rule takes effect with useRule.
    std::string drawRandomRule() { return random_.randomRule(); }
    void useRule(const std::string& notation) { parseRule(rule_, notation); }
    // The current plane as window colours, row by row.
    std::vector<std::uint32_t> frame() const;

private:
    // The current plane from one value per cell, taken as the program visits the cells: column
    // by column, each from top to bottom.
    void fill(const std::function<std::int32_t()>& value);

    HeadlessWorld world_;
    Rule rule_;
    DocumentedRandom random_{frozenTimeOfDay};
};

struct PixelArea {
    int x, y, width, height;
};

// Polls the area of the window until it shows the expected colours; the last reading when it
// never does within the timeout.
std::vector<std::uint32_t> waitForPixels(ScreenProbe& probe, XWindowId window, PixelArea area,
                                         const std::vector<std::uint32_t>& expected,
                                         std::chrono::milliseconds timeout);
