// The window service against a real X server, read back through a connection of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "graphics/window.h"
#include "runtime/errors.h"
#include "tests/support/eventually.h"
#include "tests/support/xvfb_server.h"

namespace {
constexpr std::uint32_t face = 0xF0F0F0;

class WindowOnXServer : public testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new XvfbServer; }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
        ASSERT_TRUE(probe_.connected());
    }
    // Closed and gone before the next test, and before the suite's server goes away: a window's
    // records leave the registry only after its thread's last Xlib call, so no window thread is
    // still inside Xlib when the process ends.
    void TearDown() override {
        for (const WindowHandle frame : opened_) probe_.sendDeleteWindow(frame);
        for (const WindowHandle frame : opened_) {
            EXPECT_TRUE(eventually([&] { return !probe_.geometry(frame); }));
            EXPECT_TRUE(eventually([&] {
                RoutineActivation attachErrors;
                attachWindow(frame, 0, bufferedRedraw);
                return canvasSize().width == 0;
            }));
        }
    }

    WindowHandle open(const Text& caption, int x, int y, int width, int height) {
        const WindowHandle frame = openWindow(caption, x, y, width, height, 0);
        if (frame) opened_.push_back(frame);
        return frame;
    }
    // The canvas window is the frame's only child.
    XWindowId canvasOf(WindowHandle frame) { return probe_.firstChild(frame); }
    bool allPixelsAre(XWindowId window, int width, int height, std::uint32_t colour) {
        const std::vector<std::uint32_t> pixels = probe_.readPixels(window, 0, 0, width, height);
        return pixels.size() == std::size_t(width * height) &&
               std::all_of(pixels.begin(), pixels.end(), [&](auto p) { return p == colour; });
    }

    static XvfbServer* server_;
    ScreenProbe probe_;
    std::vector<WindowHandle> opened_;
};
XvfbServer* WindowOnXServer::server_ = nullptr;

TEST_F(WindowOnXServer, ClientAreaHasExactlyTheRequestedSizeAtThePosition) {
    const struct {
        int width, height;
    } sizes[] = {{10, 10}, {600, 600}, {37, 5}};
    for (const auto& size : sizes) {
        const WindowHandle frame = open("Tessera", 300, 300, size.width, size.height);
        ASSERT_NE(frame, 0u);
        for (const XWindowId window : {XWindowId(frame), canvasOf(frame)}) {
            const auto geometry = probe_.geometry(window);
            ASSERT_TRUE(geometry);
            EXPECT_EQ(geometry->width, size.width);
            EXPECT_EQ(geometry->height, size.height);
            EXPECT_EQ(geometry->rootX, 300);
            EXPECT_EQ(geometry->rootY, 300);
        }
        attachWindow(frame, 0, bufferedRedraw);
        EXPECT_EQ(canvasSize().width, size.width);
        EXPECT_EQ(canvasSize().height, size.height);
    }
}

TEST_F(WindowOnXServer, FrameTellsTheWindowManagerItsNameSizeAndCloseProtocol) {
    const WindowHandle frame = open("Tessera \xE9", 300, 300, 20, 30);
    ASSERT_NE(frame, 0u);
    EXPECT_EQ(probe_.textProperty(frame, "WM_NAME"), "Tessera \xE9");
    EXPECT_EQ(probe_.textProperty(frame, "_NET_WM_NAME"), "Tessera \xC3\xA9");
    EXPECT_EQ(probe_.textProperty(frame, "WM_CLASS"), std::string("tessera\0Tessera\0", 16));
    const std::vector<std::string> protocols = probe_.atomListProperty(frame, "WM_PROTOCOLS");
    EXPECT_EQ(protocols, std::vector<std::string>{"WM_DELETE_WINDOW"});
    // Size hints: flags, x, y, width, height, min w/h, max w/h, ...
    const std::vector<long> hints = probe_.numberProperty(frame, "WM_NORMAL_HINTS");
    ASSERT_GE(hints.size(), 9u);
    EXPECT_EQ(hints[5], 20);
    EXPECT_EQ(hints[6], 30);
    EXPECT_EQ(hints[7], 20);
    EXPECT_EQ(hints[8], 30);
    const std::vector<long> motif = probe_.numberProperty(frame, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[2] & 64, 0) << "no maximise button";
    EXPECT_NE(motif[2] & 8, 0) << "title bar";
    EXPECT_EQ(probe_.findTopLevel("Tessera \xE9"), frame);
}

TEST_F(WindowOnXServer, NewWindowShowsOnlyTheFaceColour) {
    const WindowHandle frame = open("Tessera", 300, 300, 600, 600);
    ASSERT_NE(frame, 0u);
    EXPECT_TRUE(allPixelsAre(canvasOf(frame), 600, 600, face));
    EXPECT_TRUE(allPixelsAre(probe_.rootWindow(), 1, 1, 0)) << "the root stays black";
}

TEST_F(WindowOnXServer, BufferedPixelsReachTheServerOnlyWithRedraw) {
    const WindowHandle frame = open("Tessera", 300, 300, 50, 40);
    ASSERT_NE(frame, 0u);
    const XWindowId canvas = canvasOf(frame);
    attachWindow(frame, 0, bufferedRedraw);
    setPixel(2.5, 3.5, rgb(255, 0, 0));
    setPixel(49, 39, rgb(0, 0, 255));
    setPixel(0, 0, foregroundColour);
    setPixel(50, 0, rgb(0, 255, 0)); // one past the edge: nothing
    EXPECT_TRUE(allPixelsAre(canvas, 50, 40, face));

    redraw();
    EXPECT_EQ(probe_.pixel(canvas, 2, 4), 0x0000FFu);
    EXPECT_EQ(probe_.pixel(canvas, 49, 39), 0xFF0000u);
    EXPECT_EQ(probe_.pixel(canvas, 0, 0), 0x000000u);
    EXPECT_EQ(probe_.pixel(canvas, 2, 3), face);
    EXPECT_EQ(probe_.pixel(canvas, 49, 0), face);
    EXPECT_EQ(probe_.pixel(probe_.rootWindow(), 302, 304), 0x0000FFu);
}

TEST_F(WindowOnXServer, ImmediatePixelsAreOnTheServerWhenSetPixelReturns) {
    const WindowHandle frame = open("Tessera", 300, 300, 30, 30);
    ASSERT_NE(frame, 0u);
    const XWindowId canvas = canvasOf(frame);
    attachWindow(frame, 0, 0);
    for (int i = 0; i < 5; ++i) {
        setPixel(i, 2 * i, rgb(0, 40 * i, 200));
        EXPECT_EQ(probe_.pixel(canvas, i, 2 * i), rgb(0, 40 * i, 200)) << i;
    }
}

TEST_F(WindowOnXServer, ExposureRepaintsTheWholeBuffer) {
    const WindowHandle frame = open("Tessera", 300, 300, 40, 40);
    ASSERT_NE(frame, 0u);
    attachWindow(frame, 0, bufferedRedraw);
    setPixel(5, 5, rgb(0, 255, 0));
    // A window that covers and then uncovers the canvas.
    const WindowHandle cover = open("cover", 300, 300, 40, 40);
    ASSERT_NE(cover, 0u);
    probe_.sendDeleteWindow(cover);
    EXPECT_TRUE(eventually([&] { return probe_.pixel(canvasOf(frame), 5, 5) == 0x00FF00u; }));
}

TEST_F(WindowOnXServer, FocusRaisesTheAttachedWindow) {
    const WindowHandle lower = open("lower", 300, 300, 20, 20);
    const WindowHandle upper = open("upper", 300, 300, 20, 20);
    ASSERT_NE(lower, 0u);
    ASSERT_NE(upper, 0u);
    attachWindow(lower, 0, bufferedRedraw);
    setPixel(1, 1, rgb(255, 255, 0));
    redraw();
    EXPECT_EQ(probe_.pixel(probe_.rootWindow(), 301, 301), face) << "still covered";
    focusWindow();
    EXPECT_TRUE(eventually([&] {
        return probe_.pixel(probe_.rootWindow(), 301, 301) == 0x00FFFFu;
    }));
}

TEST_F(WindowOnXServer, AttachingNoWindowRecordsError68) {
    RoutineActivation activation;
    attachWindow(0, 0, bufferedRedraw);
    EXPECT_EQ(activation.errorWord.number(), 68);
    EXPECT_EQ(canvasSize().width, 0);
    EXPECT_EQ(canvasSize().height, 0);
}

TEST_F(WindowOnXServer, ClosingWhileAnotherThreadDrawsEndsItsCanvasSafely) {
    const WindowHandle frame = open("Tessera", 300, 300, 600, 600);
    ASSERT_NE(frame, 0u);
    std::atomic<bool> drawing{false};
    std::atomic<int> generationsAfterClose{0};
    std::thread drawer([&] {
        attachWindow(frame, 0, bufferedRedraw);
        for (int generation = 0; canvasSize().width != 0; ++generation) {
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 600; ++x) setPixel(x, y, rgb(generation, generation, 0));
            redraw();
            drawing = true;
        }
        // The window is gone: every operation is harmless and does nothing.
        setPixel(1, 1, rgb(1, 2, 3));
        redraw();
        focusWindow();
        generationsAfterClose = canvasSize().width == 0 ? 1 : -1;
    });
    ASSERT_TRUE(eventually([&] { return drawing.load(); }));
    probe_.sendDeleteWindow(frame);
    drawer.join();
    EXPECT_EQ(generationsAfterClose.load(), 1);
    EXPECT_FALSE(probe_.geometry(frame)) << "the frame is destroyed on the server";
    opened_.clear();
}

TEST_F(WindowOnXServer, WindowDestroyedByAnotherClientCountsAsClosed) {
    const WindowHandle frame = open("Tessera", 300, 300, 20, 20);
    ASSERT_NE(frame, 0u);
    attachWindow(frame, 0, bufferedRedraw);
    ASSERT_EQ(canvasSize().width, 20);
    probe_.destroyWindow(frame);
    EXPECT_TRUE(eventually([] { return canvasSize().width == 0 && canvasSize().height == 0; }));
    setPixel(1, 1, rgb(1, 2, 3));
    redraw();
    opened_.clear();
}

TEST(WindowWithoutServer, OpenWindowGivesZeroWhenNoDisplayCanBeReached) {
    const char* saved = std::getenv("DISPLAY");
    const std::string previous = saved ? saved : "";
    setenv("DISPLAY", ":4095", 1);
    EXPECT_EQ(openWindow("Tessera", 300, 300, 10, 10, 0), 0u);
    if (saved) setenv("DISPLAY", previous.c_str(), 1); else unsetenv("DISPLAY");
}

TEST(WindowWithoutServer, LostConnectionClosesTheWindowAndTheProcessGoesOn) {
    XvfbServer server;
    ASSERT_TRUE(server.running());
    const WindowHandle frame = openWindow("Tessera", 300, 300, 16, 16, 0);
    ASSERT_NE(frame, 0u);
    attachWindow(frame, 0, bufferedRedraw);
    EXPECT_EQ(canvasSize().width, 16);
    server.stop();
    EXPECT_TRUE(eventually([] {
        redraw(); // returns even though nobody can paint any more
        return canvasSize().width == 0;
    }));
}

TEST(WindowWithoutServer, RefusesSizesTheServerCannotHave) {
    XvfbServer server;
    ASSERT_TRUE(server.running());
    EXPECT_EQ(openWindow("Tessera", 300, 300, 0, 10, 0), 0u);
    EXPECT_EQ(openWindow("Tessera", 300, 300, 10, -1, 0), 0u);
    EXPECT_EQ(openWindow("Tessera", 300, 300, 40000, 10, 0), 0u);
}
} // namespace
