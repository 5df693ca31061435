#include "tests/support/program_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/key_commands.h"
#include "engine/fills.h"
#include "tests/support/temp_path.h"

const std::string legend = [] {
    std::string lines = "\r\nGO!\r\n";
    for (const KeyCommand& command : keyCommands) {
        if (command.legendLine != nullptr) lines += std::string(command.legendLine) + "\r\n";
    }
    return lines;
}();

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

std::string writeTempFile(const std::string& name, const std::string& contents) {
    const std::string path = uniqueTempPath(name);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

int countOf(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

bool exitedWith(std::optional<int> status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
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

const std::vector<CommandLineAnswer> commandLineAnswers = {
    {{"--help"}, 0, "Usage: tessera [OPTION]\n\n", ""},
    {{"--version"},
     0,
     "tessera " TESSERA_VERSION "\nCopyright (c) 2026 The Tessera developers. Released under the MIT License.\n",
     ""},
    {{"--bogus"}, 2, "", unknownOption("--bogus")},
    {{"--version", "extra"}, 2, "", unknownOption("extra")},
};

void PrintTo(const CommandLineAnswer& answer, std::ostream* stream) {
    for (const std::string& argument : answer.arguments) *stream << (&argument == &answer.arguments.front() ? "" : " ") << argument;
}

std::string expectAnswered(const CommandLineAnswer& answer, PtyOptions options, const std::string& lineEnd) {
    options.argv.insert(options.argv.end(), answer.arguments.begin(), answer.arguments.end());
    options.stdoutPath = uniqueTempPath("output");
    options.stderrPath = uniqueTempPath("errors");
    PtyProcess program(options);
    const auto status = program.waitForExit(std::chrono::seconds(60));
    EXPECT_TRUE(exitedWith(status, answer.exitCode)) << (status ? *status : -1);

    const std::string output = readFile(options.stdoutPath);
    const std::string outputStart = withLineEnds(answer.outputStart, lineEnd);
    EXPECT_EQ(output.substr(0, outputStart.size()), outputStart);
    if (outputStart.empty()) {
        EXPECT_EQ(output, "");
    }
    EXPECT_EQ(readFile(options.stderrPath), withLineEnds(answer.errors, lineEnd));
    return program.output();
}

ExpectedRun::ExpectedRun(std::int32_t width, std::int32_t height, Rule rule)
    : world_(width, height), rule_(std::move(rule)) {
    world_.reset(frozenTimeOfDay);
}

void ExpectedRun::step() { world_.run(1, rule_, generator_); }

void ExpectedRun::densityFill(int digit) { ::densityFill(world_.world(), world_.world().currentPlane(), digit); }

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
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        shown = probe.readPixels(window, area.x, area.y, area.width, area.height);
        if (shown == expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return shown;
}
