#include "console/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "console/line_input.h"
#include "console/posix/console_state.h"
#include "runtime/errors.h"
#include "tests/support/eventually.h"
#include "tests/support/pty_process.h"
#include "tests/support/sleeping_call.h"

namespace {

using namespace std::chrono_literals;

const std::string endMark(1, '\x1a');
std::string scan(int code) { return std::string{'\0', static_cast<char>(code)}; }

// ---- Standard input redirected ----

struct Line {
    std::string text;
    bool endedAfter;
};

int fileHolding(const std::string& content) {
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    const int handle = dup(fileno(file));
    std::fclose(file);
    lseek(handle, 0, SEEK_SET);
    return handle;
}

void readFrom(int inputHandle) {
    consoleState() = ConsoleState{};
    lineInputState() = LineInputState{};
    consoleState().inputHandle = inputHandle;
}

TEST(RedirectedReadLine, FilesGiveTheirLinesThenTheEndMarkForever) {
    struct Case {
        std::string content;
        std::vector<Line> lines;
    };
    const std::string longLine(16384, 'x');
    const Case cases[] = {
        {"100\r\n200", {{"100", false}, {"200", true}, {endMark, true}, {endMark, true}}},
        {"", {{"", true}, {endMark, true}, {endMark, true}}},
        {"a\rb\nc\n", {{"ab", false}, {"c", true}, {endMark, true}}},
        {"ab\x1a" "cd\n", {{"ab", true}, {endMark, true}, {endMark, true}}},
        {"\n\n", {{"", false}, {"", true}, {endMark, true}}},
        {longLine + "yz\n", {{longLine, false}, {"yz", true}, {endMark, true}}},
        {std::string(300, 'q') + "\r\n", {{std::string(300, 'q'), true}, {endMark, true}}},
    };
    for (const Case& c : cases) {
        const int handle = fileHolding(c.content);
        readFrom(handle);
        for (const Line& expected : c.lines) {
            EXPECT_EQ(readLine(), expected.text) << c.content.substr(0, 20);
            EXPECT_EQ(lineInputState().inputEnded, expected.endedAfter) << c.content.substr(0, 20);
        }
        close(handle);
    }
}

// A writer that has not written yet is no end of the data: the lines arrive as they would from
// a file holding the same bytes.
TEST(RedirectedReadLine, PipeWaitsForItsWriterAndEndsWhenItCloses) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    readFrom(ends[0]);
    std::thread writer([&] {
        for (const char* part : {"100\n", "20", "0\n"}) {
            std::this_thread::sleep_for(30ms);
            EXPECT_GT(write(ends[1], part, std::strlen(part)), 0);
        }
        std::this_thread::sleep_for(30ms);
        close(ends[1]);
    });
    EXPECT_EQ(readLine(), "100");
    EXPECT_EQ(readLine(), "200");
    EXPECT_EQ(readLine(), endMark);
    EXPECT_TRUE(lineInputState().inputEnded);
    writer.join();
    close(ends[0]);
}

// ---- Standard input on the terminal ----

class LineEditor : public ::testing::Test {
protected:
    LineEditor() : terminal_(24, 80, true) {
        consoleState() = ConsoleState{};
        lineInputState() = LineInputState{};
        consoleState().inputIsConsole = true;
        consoleState().screenHandle = terminal_.slave;
        consoleState().keyboardHandle = open(ptsname(terminal_.master), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    }
    ~LineEditor() override { close(consoleState().keyboardHandle); }

    PseudoTerminal terminal_;
};

TEST_F(LineEditor, TypedLinesAreEchoedAndEdited) {
    struct Case {
        std::string typed;
        std::string line;
        std::string echo;
    };
    const Case cases[] = {
        {"12\x7f" "5\r", "15", "12\b \b5\r\n"},
        {"12\b5\r", "15", "12\b \b5\r\n"},
        {"\x7f" "a\r", "a", "a\r\n"},
        {"\r", "", "\r\n"},
        {"a\x1b[Ab\x1bOP\r", "ab", "ab\r\n"}, // keys that produce no character do nothing
        // Control bytes are kept and shown as carets, erased as the two columns they take.
        {"\x03\t\r", "\x03\t", "^C\t\r\n"},
        {"\x01\x01\x7f" "b\r", "\x01" "b", "^A^A\b\b  \b\bb\r\n"},
    };
    for (const Case& c : cases) {
        terminal_.type(c.typed);
        EXPECT_EQ(readLine(), c.line);
        EXPECT_EQ(terminal_.readScreen(c.echo.size()), c.echo);
    }
}

TEST_F(LineEditor, LoneEscIsKeptButNeverReachesTheTerminalRaw) {
    // The c is typed only once the Esc has been taken alone and echoed, so the Esc starts no key
    // sequence; echoed raw, Esc then c would make the terminal reset itself.
    std::string echo;
    std::thread typist([&] {
        terminal_.type("\x1b");
        echo = terminal_.readScreen(2);
        terminal_.type("c\r");
    });
    EXPECT_EQ(readLine(), "\x1b" "c");
    typist.join();
    EXPECT_EQ(echo + terminal_.readScreen(3), "^[c\r\n");
}

TEST_F(LineEditor, CtrlZEndsInputUntilBackspaceTakesItBack) {
    terminal_.type("ab\x1a" "x\r");
    EXPECT_EQ(readLine(), "ab");
    EXPECT_TRUE(lineInputState().inputEnded);
    EXPECT_EQ(terminal_.readScreen(6), "ab^Z\r\n");

    terminal_.type("x\r");
    EXPECT_EQ(readLine(), "");
    EXPECT_EQ(terminal_.readScreen(4), "^Z\r\n");

    terminal_.type("\x7f" "c\r");
    EXPECT_EQ(readLine(), "c");
    EXPECT_FALSE(lineInputState().inputEnded);
    EXPECT_EQ(terminal_.readScreen(11), "^Z\b\b  \b\bc\r\n");
}

// The echo goes to a pipe here, which holds all of it while the long line is being typed.
TEST_F(LineEditor, LongestLineEndsByItself) {
    int screen[2];
    ASSERT_EQ(pipe(screen), 0);
    consoleState().screenHandle = screen[1];
    const std::string typed(16384, 'a');
    std::thread typist([&] { terminal_.type(typed + "b\r"); });
    EXPECT_EQ(readLine(), typed);
    EXPECT_EQ(readLine(), "b");
    typist.join();
    std::string echo(typed.size() + 6, '\0');
    echo.resize(static_cast<std::size_t>(read(screen[0], echo.data(), echo.size())));
    EXPECT_EQ(echo, typed + "\r\nb\r\n");
    close(screen[0]);
    close(screen[1]);
}

TEST_F(LineEditor, KeysNotYetPolledAreReadByTheNextLine) {
    terminal_.type("xy\x1b[Az\r");
    EXPECT_EQ(pollKey().text(), "x");
    EXPECT_EQ(readLine(), "yz");
}

TEST_F(LineEditor, KeysArriveDecoded) {
    EXPECT_EQ(pollKey().text(), "");
    terminal_.type("S\x1b[1;5A\x1bx\x1b[24~");
    EXPECT_EQ(pollKey().text(), "S");
    EXPECT_EQ(waitKey().text(), scan(72));
    EXPECT_EQ(pollKey().text(), scan(45));
    EXPECT_EQ(pollKey().text(), scan(88));
    EXPECT_EQ(pollKey().text(), "");

    terminal_.type("\x1b");
    EXPECT_EQ(waitKey().text(), "\x1b");

    // The rest of a sequence that comes while the decoder waits for it still belongs to it. The
    // B is typed once the reader is seen asleep in that wait, which lasts 40 ms; a busy machine
    // may hold the typist up longer, and a B typed after the wait has ended proves nothing.
    const pid_t reader = gettid();
    const auto waitsForTheRest = [reader] {
        const auto call = sleepingCall(getpid(), reader);
        return call && ((call->number == SYS_poll && static_cast<int>(call->arguments[2]) > 0) || call->number == SYS_ppoll);
    };
    for (;;) {
        terminal_.type("\x1b[");
        const auto start = std::chrono::steady_clock::now();
        bool seenWaiting = false, typedInTime = false;
        std::thread late([&] {
            seenWaiting = eventually(waitsForTheRest);
            terminal_.type("B");
            typedInTime = std::chrono::steady_clock::now() - start < 40ms;
        });
        const std::string key = waitKey().text();
        late.join();
        ASSERT_TRUE(seenWaiting);
        if (key == scan(80) || typedInTime) {
            EXPECT_EQ(key, scan(80));
            break;
        }
        while (waitKey().text() != "B") {} // the B that came too late, decoded on its own
    }
}

TEST(PollKey, WithoutAKeyboardFindsNoKey) {
    consoleState() = ConsoleState{};
    EXPECT_EQ(pollKey().text(), "");
}

TEST(LowerCase, MakesCapitalsSmallByteByByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"Q", "q"},
        {"1", "1"},
        {"AZaz@[`{", "azaz@[`{"},
        {"\x80\x8e\x8f\x90\x99\x9a\xa5", "\x87\x84\x86\x82\x94\x81\xa4"},
        {std::string("\0H", 2), std::string("\0h", 2)}, // a KeyText too is mapped byte by byte
        {"\x87\x84\xa4\xff", "\x87\x84\xa4\xff"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(lowerCase(text), expected);
    // A key is no text: only a character key's character is made small.
    EXPECT_EQ(lowerCase(Key::character('Q')), Key::character('q'));
    EXPECT_EQ(lowerCase(Key::named(72)), Key::named(72)) << "Up keeps its scan code, which is an 'H' as a byte";
}

} // namespace
