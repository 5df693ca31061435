// The Windows console and window services against the system's own calls, under Wine: key events
// put into the console's input queue, redirected input and failing writes through pipes, and the
// window read back with the system's window and drawing queries.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "console/console.h"
#include "console/win32/console_state.h"
#include "graphics/window.h"
#include "runtime/errors.h"
#include "tests/support/eventually.h"

namespace {

using namespace std::chrono_literals;

constexpr auto windowTimeout = 20s;

// ---- Console ----

INPUT_RECORD keyEvent(bool down, WORD scanCode, char character, DWORD controlKeys = 0) {
    INPUT_RECORD event = {};
    event.EventType = KEY_EVENT;
    event.Event.KeyEvent.bKeyDown = down;
    event.Event.KeyEvent.wRepeatCount = 1;
    event.Event.KeyEvent.wVirtualScanCode = scanCode;
    event.Event.KeyEvent.uChar.AsciiChar = character;
    event.Event.KeyEvent.dwControlKeyState = controlKeys;
    return event;
}

class Win32Console : public testing::Test {
protected:
    // A console of the tests' own, whatever the test program was started with.
    static void SetUpTestSuite() {
        FreeConsole();
        AllocConsole();
    }

    void SetUp() override {
        initConsole();
        ASSERT_NE(consoleState().keyboardHandle, INVALID_HANDLE_VALUE);
        FlushConsoleInputBuffer(consoleState().keyboardHandle);
    }
    void TearDown() override { shutDownConsole(); }

    // Written through a handle of our own, as another program writing to the console would.
    void queue(std::initializer_list<INPUT_RECORD> events) {
        const HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(input, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteConsoleInputA(input, events.begin(), static_cast<DWORD>(events.size()), &written));
        ASSERT_EQ(written, events.size());
        CloseHandle(input);
    }
};

TEST_F(Win32Console, KeySelectionSkipsWhatIsNoKeyAndEncodesTheRest) {
    INPUT_RECORD mouse = {};
    mouse.EventType = MOUSE_EVENT;
    queue({mouse, keyEvent(false, 31, 's'), keyEvent(true, 42, 0, SHIFT_PRESSED), keyEvent(true, 31, 'S', SHIFT_PRESSED),
           keyEvent(true, 72, 0), keyEvent(true, 45, 'x', LEFT_ALT_PRESSED), keyEvent(true, 2, '!', CAPSLOCK_ON),
           keyEvent(true, 2, '1', CAPSLOCK_ON | SHIFT_PRESSED), keyEvent(true, 1, 0)});
    EXPECT_EQ(pollKey().text(), "S") << "mouse, release and a lone Shift are skipped";
    EXPECT_EQ(pollKey().text(), std::string("\0\x48", 2)) << "Up";
    EXPECT_EQ(pollKey().text(), std::string("\0\x2d", 2)) << "Alt+X, whatever character came with it";
    EXPECT_EQ(pollKey().text(), "1") << "Caps Lock without Shift: the unshifted character";
    EXPECT_EQ(pollKey().text(), "!") << "Caps Lock with Shift: the shifted character";
    EXPECT_EQ(pollKey().text(), "\x1b") << "Esc reported without its character";
    EXPECT_EQ(pollKey().text(), "");
}

// The mode of the console's input buffer ("CONIN$") or screen ("CONOUT$"), through a handle of
// our own.
DWORD consoleMode(const char* device) {
    const HANDLE handle = CreateFileA(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0xFFFFFFFF;
    GetConsoleMode(handle, &mode);
    CloseHandle(handle);
    return mode;
}

DWORD keyboardMode() { return consoleMode("CONIN$"); }

// Keeps a control event from ending the tests once the service's handler has done its part.
BOOL WINAPI survive(DWORD) { return TRUE; }

// Wine's console does not end the process on Ctrl+C whatever the mode, so the mode is read back.
TEST_F(Win32Console, KeyboardIsInModeZeroUntilShutDownOrAControlEvent) {
    EXPECT_EQ(keyboardMode(), 0u) << "typed keys arrive raw, Ctrl+C among them";
    shutDownConsole();
    const DWORD before = keyboardMode();
    EXPECT_NE(before, 0u) << "the console's own mode is back";

    SetConsoleCtrlHandler(survive, TRUE);
    initConsole();
    ASSERT_EQ(keyboardMode(), 0u);
    // Wine generates no other control event than Ctrl+C, which the handler takes as it takes
    // Ctrl+Break and the closing of the console.
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    EXPECT_TRUE(eventually([&] { return keyboardMode() == before; }, windowTimeout))
        << "a control event puts the console's mode back";
    shutDownConsole();
    SetConsoleCtrlHandler(survive, FALSE);
    initConsole();
}

// The screen's own mode (here without wrapping at the line's end) is back after the run.
TEST_F(Win32Console, ScreenModeIsPutBackAtShutDown) {
    shutDownConsole();
    const HANDLE screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, screen);
    ASSERT_TRUE(SetConsoleMode(screen, ENABLE_PROCESSED_OUTPUT));
    initConsole();
    EXPECT_EQ(consoleMode("CONOUT$"), DWORD{ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT}) << "while running";
    shutDownConsole();
    EXPECT_EQ(consoleMode("CONOUT$"), DWORD{ENABLE_PROCESSED_OUTPUT});
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    CloseHandle(screen);
    initConsole();
}

// Typed ahead or pasted, what has arrived is shown in one write.
TEST_F(Win32Console, LineEditorShowsWhatHasArrivedInOneWrite) {
    const std::string name = "\\\\.\\pipe\\tessera-echo-" + std::to_string(GetCurrentProcessId());
    const HANDLE reader = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 0,
                                           65536, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const HANDLE writer = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    consoleState().screenHandle = writer;
    queue({keyEvent(true, 2, '1'), keyEvent(false, 2, '1'), keyEvent(true, 3, '2'), keyEvent(true, 14, 8),
           keyEvent(true, 4, '3'), keyEvent(true, 28, 13)});
    EXPECT_EQ(readLine(), "13");
    char message[64] = {};
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(reader, message, sizeof message, &count, nullptr));
    EXPECT_EQ(std::string(message, count), "12\b \b3\r\n");
    CloseHandle(writer);
    CloseHandle(reader);
}

TEST_F(Win32Console, RedirectedPipeGivesItsLinesThenTheEndOfDataMark) {
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, "100\r\n200", 8, &written, nullptr));
    CloseHandle(writer);
    consoleState().inputHandle = reader;
    consoleState().inputIsConsole = false;
    EXPECT_EQ(readLine(), "100");
    EXPECT_EQ(readLine(), "200");
    EXPECT_TRUE(redirectedInputHasEnded());
    EXPECT_EQ(readLine(), "\x1a");
    CloseHandle(reader);
}

TEST_F(Win32Console, FailedWriteRecordsTheMappedErrorNumber) {
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    consoleState().outputHandle = reader; // not open for writing: access denied, code 5
    RoutineActivation activation;
    print("x");
    EXPECT_EQ(activation.errorWord.number(), 70);
    CloseHandle(reader);
    CloseHandle(writer);
}

// ---- Window ----

HWND canvasWindowOf(HWND frame) { return GetWindow(frame, GW_CHILD); }

TEST(Win32Window, FixedClientAreaAtThePositionShowsRedrawnPixelsAndEndsOnClose) {
    const WindowHandle handle = openWindow("Tessera", 300, 300, 10, 10, 0);
    ASSERT_NE(handle, 0u);
    const auto frame = reinterpret_cast<HWND>(handle);
    char caption[16] = {};
    GetWindowTextA(frame, caption, sizeof caption);
    EXPECT_STREQ(caption, "Tessera");
    RECT client = {}, outer = {};
    GetClientRect(frame, &client);
    GetWindowRect(frame, &outer);
    EXPECT_EQ(client.right, 10) << "kept below the system's minimum tracking width";
    EXPECT_EQ(client.bottom, 10);
    EXPECT_EQ(outer.left, 300);
    EXPECT_EQ(outer.top, 300);
    const LONG style = GetWindowLongA(frame, GWL_STYLE);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0) << "neither maximised nor resized";
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);

    attachWindow(handle, 0, bufferedRedraw);
    setPixel(3, 4, rgb(255, 0, 0));
    redraw();
    const HDC canvas = GetDC(canvasWindowOf(frame));
    EXPECT_EQ(GetPixel(canvas, 3, 4), RGB(255, 0, 0)) << "painted when redraw returns";
    EXPECT_EQ(GetPixel(canvas, 0, 0), GetSysColor(COLOR_3DFACE)) << "the rest is the face colour";
    ReleaseDC(canvasWindowOf(frame), canvas);

    focusWindow();
    EXPECT_TRUE(eventually([frame] { return GetForegroundWindow() == frame; }, windowTimeout));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(eventually([] { return canvasSize().width == 0; }, windowTimeout)) << "a closed window has width 0";
}

} // namespace
