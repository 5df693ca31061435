#include "app/command_line.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/failure_report.h"
#include "app/key_commands.h"
#include "app/program_facts.h"
#include "console/console.h"

namespace {

constexpr std::string_view versionOption = "--version";

bool asksForHelp(std::string_view argument) {
    return std::find(std::begin(helpOptions), std::end(helpOptions), argument) != std::end(helpOptions);
}

bool isKnown(std::string_view argument) { return argument == versionOption || asksForHelp(argument); }

// The descriptions line up in column 16 unless the names reach beyond it.
std::string optionLine(std::string_view names, std::string_view what) {
    constexpr std::size_t descriptionColumn = 16;
    std::string line = "  ";
    line += names;
    line.resize(std::max(line.size() + 2, descriptionColumn - 1), ' ');
    return line + std::string(what) + "\n";
}

// One line for each key command: its keys, then what it does.
std::string keyLines() {
    std::string lines;
    for (const KeyCommand& command : keyCommands) {
        const char range[] = {char(command.lowest), '-', char(command.highest)};
        std::string keys(range, command.lowest == command.highest ? 1 : 3);
        keys.resize(5, ' ');
        lines += "  " + keys + command.summary + "\n";
    }
    return lines;
}

std::string helpText() {
    std::string helpNames;
    for (const std::string_view spelling : helpOptions) helpNames += (helpNames.empty() ? "" : ", ") + std::string(spelling);
    return "Usage: tessera [OPTION]\n"
           "\n"
           "An interactive cellular-automaton toy. Tessera asks in the console for the world's\n"
           "width and height (10 to 600 cells), opens a window that shows one pixel per cell,\n"
           "asks for black-and-white or shades-of-grey rules and for a rule Size/Survive/Born\n"
           "(1/23/3 is the Game of Life), then runs the automaton on a torus until q is typed\n"
           "or the window is closed.\n"
           "\n"
           "Keys, typed in the console while it runs:\n" +
           keyLines() +
           "\n"
           "Options:\n" +
           optionLine(helpNames, "show this help and exit") +
           optionLine(versionOption, "show the version and the licence and exit");
}

std::string versionText() {
    return "tessera " + std::string(programVersion) + "\n" + std::string(copyrightLine) + ". Released under the " +
           std::string(licenceName) + ".\n";
}

// An answer that could not be written is a failed run, not a successful one.
int answer(const std::string& text) { return writeStandardText(StandardStream::output, text) ? 0 : failureExitCode; }

} // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv) {
    if (argc < 2) return std::nullopt;
    const auto first = argv + 1, end = argv + argc;
    if (const auto unknown = std::find_if_not(first, end, isKnown); unknown != end) {
        writeStandardText(StandardStream::error, "tessera: unknown option '" + std::string(*unknown) + "' (try 'tessera --help')\n");
        return usageExitCode;
    }
    return answer(asksForHelp(*first) ? helpText() : versionText());
}
