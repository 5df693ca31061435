#include "tests/support/dialogue_screen.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/terminal_screen.h"

namespace {

using Rows = std::vector<std::string>;

// Tall enough that nothing scrolls away.
constexpr unsigned short screenRows = 40;
constexpr unsigned short screenColumns = 80;

const std::string widthPrompt = "World width (10 - 600) -->";
// How long a key typed again after a Ctrl+C is given to show before it is typed once more.
constexpr std::chrono::seconds retryPause{3};

// The rows a text of the program's shows, split at its line ends.
Rows rowsOf(const std::string& text) {
    Rows rows;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        rows.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) rows.push_back(text.substr(start));
    return rows;
}

Rows operator+(Rows rows, const Rows& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

class ScreenWatch {
public:
    explicit ScreenWatch(PtyProcess& program) : program_(program) {}

    // Waits until the screen satisfies the condition; a failure shows the screen as it stood.
    void await(const std::function<bool(const ScreenPicture&)>& condition, const std::string& what,
               std::chrono::milliseconds timeout) {
        ScreenPicture last;
        const bool seen = program_.waitFor(
            [&](const std::string& written) {
                screen_.catchUp(written);
                last = screen_.picture();
                return condition(last);
            },
            timeout);
        EXPECT_TRUE(seen) << what << "; the screen shows:\n" << shown(last);
    }

    // The screen shows exactly these rows, the cursor behind the last one.
    void awaitRows(const Rows& rows, const std::string& what, std::chrono::milliseconds timeout) {
        EXPECT_TRUE(shows(rows, timeout)) << what << "; the screen shows:\n" << shown(screen_.picture());
    }

    bool shows(const Rows& rows, std::chrono::milliseconds timeout) {
        return program_.waitFor(
            [&](const std::string& written) {
                screen_.catchUp(written);
                const ScreenPicture picture = screen_.picture();
                return picture.rows == rows && picture.cursorRow + 1 == static_cast<int>(rows.size()) &&
                       picture.cursorColumn == static_cast<int>(rows.back().size());
            },
            timeout);
    }

    // These rows, and below them only the counter line, showing a count above `above`.
    void awaitCounterBelow(const Rows& rows, long above, const std::string& what, std::chrono::milliseconds timeout) {
        await([&](const ScreenPicture& picture) { return countBelow(picture, rows) > above; }, what, timeout);
    }

    long countNow(const Rows& rows) { return countBelow(screen_.picture(), rows); }

private:
    static long countBelow(const ScreenPicture& picture, const Rows& rows) {
        static const std::regex counter("Iteration: ([0-9]+)");
        std::smatch match;
        if (picture.rows.size() != rows.size() + 1 || !std::equal(rows.begin(), rows.end(), picture.rows.begin()) ||
            !std::regex_match(picture.rows.back(), match, counter))
            return -1;
        return std::stol(match[1]);
    }

    PtyProcess& program_;
    TerminalScreen screen_{screenRows, screenColumns};
};

const Rows title = {"Tessera // https://tessera.example.org", "Ildrith's cellular automata toy"};

Rows dialogueRows() {
    return title + Rows{widthPrompt + "40", "World height (10 - 600) -->30"} +
           rowsOf("Rule set:\r\n[1.] Conway-Style [B/W]\r\n 2.  Shades of Grey\r\n  -->1\r\n") + rowsOf(ruleExamples) +
           Rows{" -->1/23/3"} + rowsOf(legend);
}

void typeDialogueCheckingTheScreen(PtyProcess& program, std::chrono::milliseconds timeout) {
    ScreenWatch watch(program);
    watch.awaitRows(title + Rows{widthPrompt}, "the first prompt", timeout);

    // Ctrl+C at a prompt ends nothing: taken back by Backspace, it leaves the line as it was.
    // Elsewhere it is a character of the line, shown and erased; Wine's console drops it, and
    // with it keys typed in the moments after, so the answer is typed until it shows. Each try
    // begins by erasing what an earlier one may have left.
    program.type("\x03\x7f");
    ASSERT_TRUE(program.waitUntilTypingIsRead(timeout));
    EXPECT_FALSE(program.waitForExit(std::chrono::milliseconds(0))) << "Ctrl+C at a prompt ended the program";
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        program.type("\x7f\x7f" "40");
    } while (!watch.shows(title + Rows{widthPrompt + "40"}, retryPause) && std::chrono::steady_clock::now() < deadline);
    watch.awaitRows(title + Rows{widthPrompt + "40"}, "the answer typed behind its prompt", timeout);
    program.type("\r");
    watch.awaitRows(title + Rows{widthPrompt + "40", "World height (10 - 600) -->"}, "the second prompt", timeout);
    program.type("30\r");
    const Rows ruleSet = title + Rows{widthPrompt + "40", "World height (10 - 600) -->30"} +
                         rowsOf("Rule set:\r\n[1.] Conway-Style [B/W]\r\n 2.  Shades of Grey\r\n  -->");
    watch.awaitRows(ruleSet, "the rule set question", timeout);
    program.type("1\r");
    const Rows rulePrompt = title + Rows{widthPrompt + "40", "World height (10 - 600) -->30"} +
                            rowsOf("Rule set:\r\n[1.] Conway-Style [B/W]\r\n 2.  Shades of Grey\r\n  -->1\r\n") +
                            rowsOf(ruleExamples) + Rows{" -->"};
    watch.awaitRows(rulePrompt, "the rule examples and prompt", timeout);
    program.type("1/23/3\r");
    watch.awaitCounterBelow(dialogueRows(), 0, "the legend, then the counter", timeout);
}

void interruptThenQuitCheckingTheScreen(PtyProcess& program, std::chrono::milliseconds timeout) {
    ScreenWatch watch(program);
    const Rows rows = dialogueRows();
    watch.awaitCounterBelow(rows, 0, "the counter running", timeout);
    program.type("\x03");
    ASSERT_TRUE(program.waitUntilTypingIsRead(timeout));
    const long count = watch.countNow(rows);
    watch.awaitCounterBelow(rows, count + 10, "the count goes on after Ctrl+C", timeout);
    EXPECT_FALSE(program.waitForExit(std::chrono::milliseconds(0))) << "Ctrl+C while running ended the program";
    // q ends the program: typed again if Wine's console dropped it after the Ctrl+C.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<int> status;
    do {
        program.type("q");
        status = program.waitForExit(retryPause);
    } while (!status && std::chrono::steady_clock::now() < deadline);
    EXPECT_TRUE(exitedWith(status, 0));
}

} // namespace

void checkTypedDialogueScreen(PtyOptions options, std::chrono::milliseconds timeout) {
    options.rows = screenRows;
    options.columns = screenColumns;
    PtyProcess program(options);
    typeDialogueCheckingTheScreen(program, timeout);
    interruptThenQuitCheckingTheScreen(program, timeout);
}
