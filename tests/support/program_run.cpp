#include "tests/support/program_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/generation.h"
#include "tests/support/eventually.h"
#include "tests/support/temp_path.h"

long expectTranscriptOfAnsweredRun(const std::string& written) {
    const std::string expectedStart =
        "Tessera // https://tessera.example.org\r\nIldrith's cellular automata toy\r\n"
        "World width (10 - 600) -->World height (10 - 600) -->Rule set:\r\n[1.] Conway-Style [B/W]\r\n"
        " 2.  Shades of Grey\r\n  -->Speed 1-128 [16] -->" + ruleExamples + " -->" + legend;
    const std::string start = written.substr(0, expectedStart.size());
    EXPECT_EQ(start, expectedStart);
    if (start != expectedStart) return 0;

    const std::string counters = written.substr(expectedStart.size());
    std::string expectedCounters;
    long generations = 0;
    while (expectedCounters.size() < counters.size()) expectedCounters += "Iteration: " + std::to_string(++generations);
    EXPECT_EQ(counters, expectedCounters);
    return generations;
}

std::vector<std::string> frozenClockEnvironment() {
    return {"LD_PRELOAD=" FAKETIME_LIBRARY, std::string("FAKETIME=") + frozenDate, "TZ=UTC",
            "FAKETIME_DONT_FAKE_MONOTONIC=1"};
}

namespace {
std::string unknownOption(const std::string& argument) {
    return "tessera: unknown option '" + argument + "' (try 'tessera --help')\n";
}

std::string withLineEnds(std::string text, const std::string& lineEnd) {
    for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + lineEnd.size()))
        text.replace(at, 1, lineEnd);
    return text;
}
} // namespace

std::vector<CommandLineAnswer> commandLineAnswers(const std::string& helpOptionsLine) {
    const std::string help =
        "Usage: tessera [OPTION]\n"
        "\n"
        "An interactive cellular-automaton toy. Tessera asks in the console for the world's\n"
        "width and height (10 to 600 cells), opens a window that shows one pixel per cell,\n"
        "asks for black-and-white or shades-of-grey rules and for a rule Size/Survive/Born\n"
        "(1/23/3 is the Game of Life), then runs the automaton on a torus until q is typed\n"
        "or the window is closed.\n"
        "\n"
        "Keys, typed in the console while it runs:\n"
        "  r    reset\n"
        "  n    new rule\n"
        "  x    random rule\n"
        "  q    quit\n"
        "  s    single-step on/off\n"
        "  0-9  refill the world at one of ten densities\n"
        "\n"
        "Options:\n" +
        helpOptionsLine +
        "  --version    show the version and the licence and exit\n";
    return {
        {{"--help"}, 0, help, ""},
        {{"--version"},
         0,
         "tessera " TESSERA_VERSION "\nCopyright (c) 2026 The Tessera developers. Released under the MIT License.\n",
         ""},
        {{"--bogus"}, 2, "", unknownOption("--bogus")},
        {{"--version", "extra"}, 2, "", unknownOption("extra")},
    };
}

void PrintTo(const CommandLineAnswer& answer, std::ostream* stream) {
    for (const std::string& argument : answer.arguments) *stream << (&argument == &answer.arguments.front() ? "" : " ") << argument;
}

std::string expectAnswered(const CommandLineAnswer& answer, PtyOptions options, const std::string& lineEnd) {
    options.argv.insert(options.argv.end(), answer.arguments.begin(), answer.arguments.end());
    options.stdoutPath = uniqueTempPath("output");
    options.stderrPath = uniqueTempPath("errors");
    PtyProcess program(options);
    const auto status = program.waitForExit(std::chrono::seconds(60));
    EXPECT_TRUE(exitedWith(status, answer.exitCode)) << describe(status);
    EXPECT_EQ(readFile(options.stdoutPath), withLineEnds(answer.output, lineEnd));
    EXPECT_EQ(readFile(options.stderrPath), withLineEnds(answer.errors, lineEnd));
    return program.output();
}

ExpectedRun::ExpectedRun(std::int32_t width, std::int32_t height, Rule rule)
    : world_(width, height), rule_(std::move(rule)) {
    refill();
}

void ExpectedRun::step() { world_.run(1, rule_, LiteralGenerator{}); }

void ExpectedRun::refill() {
    fill([this] { return random_.below(256); });
}

void ExpectedRun::densityFill(int digit) {
    // The second draw of each digit: its offset and how many values it spans; 5 keeps the first.
    static constexpr std::int32_t offsets[10] = {0, 0, 0, 0, 0, 0, 33, 65, 80, 105};
    static constexpr std::int32_t spans[10] = {148, 160, 175, 190, 222, 0, 222, 190, 175, 150};
    fill([&] {
        const std::int32_t first = random_.below(255);
        return digit == 5 ? first : offsets[digit] + random_.below(spans[digit]);
    });
}

void ExpectedRun::fill(const std::function<std::int32_t()>& value) {
    std::vector<std::int32_t> cells(static_cast<std::size_t>(width()) * static_cast<std::size_t>(height()));
    for (std::int32_t i = 0; i < width(); ++i)
        for (std::int32_t j = 0; j < height(); ++j) cells[static_cast<std::size_t>(j * width() + i)] = value();
    world_.loadCells(cells);
}

std::vector<std::uint32_t> ExpectedRun::frame() const {
    std::vector<std::uint32_t> colours;
    for (const std::int32_t value : world_.cells())
        colours.push_back(static_cast<std::uint32_t>(std::min(value, 255)) * 0x010101u);
    return colours;
}

std::vector<std::uint32_t> waitForPixels(ScreenProbe& probe, XWindowId window, PixelArea area,
                                         const std::vector<std::uint32_t>& expected,
                                         std::chrono::milliseconds timeout) {
    std::vector<std::uint32_t> shown;
    eventually(
        [&] {
            shown = probe.readPixels(window, area.x, area.y, area.width, area.height);
            return shown == expected;
        },
        timeout);
    return shown;
}
