// The real program's speed at 600 x 600: it runs in a pseudo-terminal under a private Xvfb,
// redrawing its window every generation, and "Iteration: N" is read twice a known time apart.
// Beside each figure: the display's floor measured on the same server just before
// (tessera_display_floor), the processor time the program's own threads spent per generation,
// also in units of the floor's conversion of one plane to pixels ("x convert"),
// and, when strace is installed, the system calls per generation over a second, traced span.
// Usage: tessera_e2e_speed [milliseconds per measurement] [program ...]
// Several programs (say a build from before a change and one from after) are measured in turn,
// three times over, so that a busy machine slows them alike and the spread of each shows; the
// medians follow at the end. A program given as wine:PATH.exe is the Windows build, run under
// Wine in a session of its own on the same X server, its console shown on the pseudo-terminal
// through Wine's console; its processor time is that of its own process, without the console's
// and Wine server's processes that serve it. A last case sends standard output to a file, where
// the counter costs no console at all.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/pty_process.h"
#include "tests/support/wine_console.h"
#include "tests/support/xvfb_server.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string busyRule =
    "4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r";

// The last complete "Iteration: N" the terminal shows.
std::optional<long> lastIteration(const std::string& shown) {
    const std::string label = "Iteration: ";
    for (auto at = shown.rfind(label); at != std::string::npos && at > 0; at = shown.rfind(label, at - 1)) {
        const auto digits = at + label.size();
        const auto end = shown.find_first_not_of("0123456789", digits);
        if (end != std::string::npos && end > digits) return std::stol(shown.substr(digits, end - digits));
    }
    return std::nullopt;
}

// User plus system time of every thread of a process so far, in milliseconds.
double processorMilliseconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The fields after the command name, which may hold blanks, start at the state (field 3);
    // utime and stime are fields 14 and 15.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int k = 3; k < 14; ++k) fields >> field;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

struct Reading {
    long iteration;
    Clock::time_point at;
    double processorMs;
};

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A program being measured, on a pseudo-terminal of its own; what it shows is read from the
// terminal, or from the file its standard output goes to.
class MeasuredProgram {
public:
    explicit MeasuredProgram(const PtyOptions& options) : outputFile_(options.stdoutPath), process_(options) {}

    PtyProcess& process() { return process_; }

    std::string shown() { return outputFile_.empty() ? process_.output() : fileText(outputFile_); }

    bool waitForText(const std::string& text, std::chrono::milliseconds timeout) {
        return process_.waitFor([&](const std::string&) { return shown().find(text) != std::string::npos; }, timeout);
    }

    Reading read() {
        process_.readFor(1ms);
        return {lastIteration(shown()).value_or(0), Clock::now(), processorMilliseconds(process_.pid())};
    }

private:
    std::string outputFile_;
    PtyProcess process_;
};

// Runs a program to its end and gives what it wrote to standard output.
std::optional<std::string> runForOutput(std::vector<std::string> argv) {
    // Both ends close on exec, so only the child's standard output holds the pipe open: a
    // background process the child leaves running (a Wine server) never keeps the read waiting.
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string output;
    char buffer[256];
    for (ssize_t got; !failed && (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0) output.append(buffer, std::size_t(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (failed || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

bool haveStrace() { return runForOutput({"strace", "-V"}).has_value(); }

bool traced(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("TracerPid:", 0) == 0) return std::stol(line.substr(10)) != 0;
    }
    return false;
}

// System calls per generation of every thread, counted by strace over one span; slowed down
// by the tracing, so only the ratio means anything.
std::optional<double> systemCallsPerGeneration(MeasuredProgram& measured, std::chrono::milliseconds span) {
    PtyProcess& program = measured.process();
    char summary[] = "/tmp/tessera-strace-XXXXXX";
    const int summaryFd = mkstemp(summary);
    if (summaryFd < 0) return std::nullopt;
    close(summaryFd);
    const std::string pid = std::to_string(program.pid());
    char* args[] = {const_cast<char*>("strace"), const_cast<char*>("-qq"), const_cast<char*>("-f"), const_cast<char*>("-c"),
                    const_cast<char*>("-o"), summary, const_cast<char*>("-p"), const_cast<char*>(pid.c_str()), nullptr};
    // strace's own remarks would break the table.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t tracer = -1;
    std::optional<double> perGeneration;
    const int failed = posix_spawnp(&tracer, "strace", &quiet, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed == 0) {
        const auto deadline = Clock::now() + 30s;
        while (!traced(program.pid()) && Clock::now() < deadline) program.readFor(10ms);
        const Reading first = measured.read();
        program.readFor(span);
        const Reading second = measured.read();
        kill(tracer, SIGINT);
        waitpid(tracer, nullptr, 0);
        // The last line: "100.00  seconds  usecs/call  calls  [errors]  total".
        std::ifstream file(summary);
        std::string line, last;
        while (std::getline(file, line)) {
            if (line.find("total") != std::string::npos) last = line;
        }
        std::istringstream fields(last);
        std::string percent, seconds, perCall;
        double calls = 0;
        if (fields >> percent >> seconds >> perCall >> calls && second.iteration > first.iteration) {
            perGeneration = calls / double(second.iteration - first.iteration);
        }
    }
    unlink(summary);
    return perGeneration;
}

struct Figures {
    double generationsPerSecond;
    double processorMsPerGeneration;
    std::optional<double> systemCallsPerGeneration;
};

// A program as the command line names it: its name in the table and how it is started.
struct Program {
    std::string name;
    PtyOptions options;
    bool underWine = false;
};

Program programNamed(const std::string& given) {
    const std::string wine = "wine:";
    if (given.rfind(wine, 0) == 0) {
        const std::string path = given.substr(wine.size());
        return {path + " under Wine", wineProgramOptions(path), true};
    }
    PtyOptions options;
    options.argv = {given};
    return {given, options};
}

struct SpeedCase {
    const char* name;
    std::string answers;
    bool outputToFile = false;
};

// Wine's first start of a program can take many seconds on a busy machine.
constexpr auto startTimeout = 60s;

std::optional<Figures> measure(const Program& program, const SpeedCase& speedCase, std::chrono::milliseconds span,
                               bool countCalls) {
    PtyOptions options = program.options;
    if (speedCase.outputToFile) options.stdoutPath = "/tmp/tessera-e2e-speed-" + std::to_string(getpid()) + ".out";
    std::optional<Figures> figures;
    {
        MeasuredProgram measured(options);
        if (measured.waitForText("World width", startTimeout)) {
            measured.process().type(speedCase.answers);
            if (measured.waitForText("Iteration: ", startTimeout)) {
                measured.process().readFor(500ms); // warm-up: the first fill, caches, the worker pool
                const Reading first = measured.read();
                measured.process().readFor(span);
                const Reading second = measured.read();
                const long generations = second.iteration - first.iteration;
                figures = {double(generations) / std::chrono::duration<double>(second.at - first.at).count(),
                           (second.processorMs - first.processorMs) / double(std::max(generations, 1L)), std::nullopt};
                if (countCalls) figures->systemCallsPerGeneration = systemCallsPerGeneration(measured, span);
            }
        }
        measured.process().type("q");
        measured.process().waitForExit(10s);
    }
    if (speedCase.outputToFile) unlink(options.stdoutPath.c_str());
    return figures;
}

// A Wine session of the run's own on its X server, in a fresh prefix that ends with it.
class WineSession {
public:
    WineSession() {
        char prefix[] = "/tmp/tessera-wine-XXXXXX";
        if (!mkdtemp(prefix)) return;
        prefix_ = prefix;
        setenv("WINEPREFIX", prefix, 1);
        ready_ = runForOutput({WINE_PREFIX_SCRIPT, prefix_}).has_value();
    }
    ~WineSession() {
        if (prefix_.empty()) return;
        runForOutput({"/usr/lib/wine/wineserver64", "-k"});
        runForOutput({"rm", "-rf", prefix_});
    }
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    bool ready() const { return ready_; }

private:
    std::string prefix_;
    bool ready_ = false;
};

// The floor's frames a second and the milliseconds its conversion of one plane took.
struct Floor {
    double framesPerSecond = 0;
    double conversionMs = 0;
};

std::optional<Floor> displayFloor(const std::string& floorProgram, std::chrono::milliseconds span) {
    const std::optional<std::string> output = runForOutput({floorProgram, std::to_string(span.count())});
    Floor floor;
    if (!output || !(std::istringstream(*output) >> floor.framesPerSecond >> floor.conversionMs)) return std::nullopt;
    return floor;
}

// The middle value, or the mean of the middle two; 0 for none.
double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// A line of the table; the processor time is also given in conversions of one plane to pixels,
// the floor's, so that it compares across machines.
void printFigures(const std::string& caseName, const std::string& program, const Figures& figures,
                  const std::optional<Floor>& floor) {
    std::printf("%-32s %-40s %14.0f %8.1f %11.3f %9.1f", caseName.c_str(), program.c_str(), figures.generationsPerSecond,
                floor ? 100 * figures.generationsPerSecond / floor->framesPerSecond : 0.0, figures.processorMsPerGeneration,
                floor ? figures.processorMsPerGeneration / floor->conversionMs : 0.0);
    if (figures.systemCallsPerGeneration) std::printf(" %11.1f", *figures.systemCallsPerGeneration);
    std::printf("\n");
    std::fflush(stdout);
}

// One program's figures in one case, round by round, each with the floor measured beside it.
struct Row {
    std::string caseName, program;
    std::vector<Figures> figures;
    std::vector<Floor> floors;

    // The medians of the rounds, figure by figure.
    void printMedians() const {
        std::vector<double> rates, processorMs, calls, floorRates, conversions;
        for (const Figures& round : figures) {
            rates.push_back(round.generationsPerSecond);
            processorMs.push_back(round.processorMsPerGeneration);
            if (round.systemCallsPerGeneration) calls.push_back(*round.systemCallsPerGeneration);
        }
        for (const Floor& floor : floors) {
            floorRates.push_back(floor.framesPerSecond);
            conversions.push_back(floor.conversionMs);
        }
        const Figures middle{median(rates), median(processorMs),
                             calls.empty() ? std::nullopt : std::optional<double>(median(calls))};
        printFigures(caseName, program, middle,
                     floors.empty() ? std::nullopt : std::optional<Floor>({median(floorRates), median(conversions)}));
    }
};

} // namespace

int main(int argc, char** argv) {
    const auto span = std::chrono::milliseconds(argc > 1 ? std::atol(argv[1]) : 3000);
    XvfbServer xvfb;
    if (!xvfb.running()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    const SpeedCase cases[] = {
        {"black/white 1/23/3", "600\r600\r1\r1/23/3\r"},
        {"black/white Size 4 busy rule", "600\r600\r1\r" + busyRule},
        {"grey speed 16 Size 4 busy rule", "600\r600\r2\r16\r" + busyRule},
        {"black/white 1/23/3, output file", "600\r600\r1\r1/23/3\r", true},
    };
    std::vector<std::string> given(argv + std::min(argc, 2), argv + argc);
    if (given.empty()) given = {TESSERA_EXECUTABLE};
    std::vector<Program> programs;
    for (const std::string& name : given) programs.push_back(programNamed(name));
    const auto underWine = [](const Program& program) { return program.underWine; };
    std::optional<WineSession> wine;
    if (std::any_of(programs.begin(), programs.end(), underWine)) {
        wine.emplace();
        if (!wine->ready()) {
            std::printf("Wine could not be set up: no figures for the Windows build\n");
            std::erase_if(programs, underWine);
        }
    }
    const bool countCalls = haveStrace();
    if (!countCalls) std::printf("strace is not installed: no system call counts\n");
    std::printf("%-32s %-40s %14s %8s %11s %9s %11s\n", "case", "program", "generations/s", "% floor", "cpu ms/gen",
                "x convert", "calls/gen");
    // Three rounds, so that the median of each figure passes over one disturbed measurement.
    constexpr int rounds = 3;
    std::vector<Row> rows;
    int failures = 0;
    for (const SpeedCase& speedCase : cases) {
        const std::size_t firstRow = rows.size();
        for (const Program& program : programs) rows.push_back({speedCase.name, program.name, {}, {}});
        for (int round = 0; round < rounds; ++round) {
            const std::optional<Floor> floor = displayFloor(DISPLAY_FLOOR_EXECUTABLE, span);
            std::printf("%-32s %-40s %14.0f %8s %11.3f\n", "display floor (put + sync)", "tessera_display_floor",
                        floor ? floor->framesPerSecond : 0.0, "", floor ? floor->conversionMs : 0.0);
            for (std::size_t k = 0; k < programs.size(); ++k) {
                const std::optional<Figures> figures = measure(programs[k], speedCase, span, countCalls);
                if (!figures) {
                    std::printf("%-32s %-40s did not start\n", speedCase.name, programs[k].name.c_str());
                    ++failures;
                    continue;
                }
                Row& row = rows[firstRow + k];
                row.figures.push_back(*figures);
                if (floor) row.floors.push_back(*floor);
                printFigures(speedCase.name, programs[k].name, *figures, floor);
            }
        }
    }
    std::printf("\nmedians of %d rounds\n", rounds);
    for (const Row& row : rows) row.printMedians();
    return failures == 0 ? 0 : 1;
}
