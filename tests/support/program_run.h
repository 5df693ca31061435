#pragma once
// What the tests that drive the whole program share, whichever build of it they drive: the
// frozen seed and the run it gives, the texts the program prints, and file and pixel helpers.
#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/fast_generation.h"
#include "tests/support/headless_world.h"
#include "tests/support/pty_process.h"
#include "tests/support/xvfb_server.h"
#include "text/numbers.h"

// The programs run with the wall clock frozen at 12:00:00.000, so the seed is known.
inline constexpr Number frozenTimeOfDay = 43200;
inline constexpr char frozenDate[] = "2026-12-08 12:00:00";
// "NAME=value" entries that start a program with its wall clock frozen there.
std::vector<std::string> frozenClockEnvironment();

// The key legend, as the program's key table gives it.
extern const std::string legend;
inline const std::string ruleExamples = "Conway rulesubset (Size/Survive/Born) -- examples:\r\n"
                                        "1/23/3 - Game of Life\r\n1/23/36 - Highlife\r\n1/34/34 - 34 Life\r\n"
                                        "1/5/345 - Long Life\r\n1/1358/357 - Amoeba\r\n"
                                        "1/235678/378 - Coagulations\r\n1/5678/35678 - Diamoebas\r\n";

// Answers to the whole dialogue, one per line: a 20 x 30 world, grey rules at the default speed,
// the rule 1/23/3.
inline const std::string dialogueAnswers = "20\r\n30\r\n2\r\n\r\n1/23/3\r\n";
// Checks the transcript of a run given dialogueAnswers from a file and writing into a file: the
// whole dialogue, then nothing but the counter, one generation after another, with no cursor
// movement. Gives the number of generations it shows (0 when the dialogue differs).
long expectTranscriptOfAnsweredRun(const std::string& written);

// A command line the program answers instead of running: its arguments, the exit code, the start
// of what it writes to standard output and all it writes to standard error, with line ends "\n".
struct CommandLineAnswer {
    std::vector<std::string> arguments;
    int exitCode;
    std::string outputStart;
    std::string errors;
};
// Shown by the test names: the arguments.
void PrintTo(const CommandLineAnswer& answer, std::ostream* stream);
// The answers every build gives.
extern const std::vector<CommandLineAnswer> commandLineAnswers;
// Starts the program as `options` do, with the answer's arguments added and its standard output
// and error sent to files, and checks what it wrote there, with line ends `lineEnd`, and how it
// ended. What the terminal showed.
std::string expectAnswered(const CommandLineAnswer& answer, PtyOptions options, const std::string& lineEnd);

// A file of the given contents in the test's temporary directory; its path.
std::string writeTempFile(const std::string& name, const std::string& contents);
std::string readFile(const std::string& path);
int countOf(const std::string& haystack, const std::string& needle);
bool exitedWith(std::optional<int> status, int code);

// The run the program makes from the frozen seed, replayed headless with the same services.
class ExpectedRun {
public:
    ExpectedRun(std::int32_t width, std::int32_t height, Rule rule);

    void step();
    void useRule(Rule rule) { rule_ = std::move(rule); }
    void densityFill(int digit);
    // The current plane as window colours, row by row.
    std::vector<std::uint32_t> frame() const;

private:
    HeadlessWorld world_;
    Rule rule_;
    FastGenerator generator_{defaultThreadCount()};
};

struct PixelArea {
    int x, y, width, height;
};

// Polls the area of the window until it shows the expected colours; the last reading when it
// never does within the timeout.
std::vector<std::uint32_t> waitForPixels(ScreenProbe& probe, XWindowId window, PixelArea area,
                                         const std::vector<std::uint32_t>& expected,
                                         std::chrono::milliseconds timeout);
