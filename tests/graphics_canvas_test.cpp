#include <gtest/gtest.h>
#include <linux/futex.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "graphics/canvas.h"
#include "graphics/frame_style.h"
#include "graphics/window.h"
#include "tests/support/eventually.h"
#include "tests/support/sleeping_call.h"

namespace {
constexpr ColourValue face = 0xF0F0F0;
constexpr ColourValue text = 0x000000;

std::unique_ptr<Canvas> heapCanvas(std::int32_t width, std::int32_t height,
                                   PixelFormat format = {}) {
    PixelMemory memory(new std::uint32_t[std::size_t(width) * std::size_t(height)],
                       [](std::uint32_t* pixels) { delete[] pixels; });
    return std::make_unique<Canvas>(std::move(memory), width, height, format, text, face);
}

TEST(Rgb, ClampsEachChannelAndPacksRedLowest) {
    struct Case {
        int red, green, blue;
        ColourValue expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0x000000},         {255, 0, 0, 0x0000FF},       {0, 0, 255, 0xFF0000},
        {-5, 300, 128, 0x80FF00},    {256, 256, 256, 0xFFFFFF},   {128, 128, 128, 0x808080},
        {INT32_MIN, INT32_MAX, 1, 0x01FF00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rgb(c.red, c.green, c.blue), c.expected) << c.red << "," << c.green << "," << c.blue;
}

TEST(PixelFormat, PlacesChannelsWhereTheMasksSay) {
    struct Case {
        std::uint32_t red, green, blue;
        bool swap;
        std::uint32_t pixelOfOrange; // rgb(0xFF, 0x80, 0x01)
    };
    const Case cases[] = {
        {0xFF0000, 0x00FF00, 0x0000FF, false, 0xFF8001},
        {0x0000FF, 0x00FF00, 0xFF0000, false, 0x0180FF},
        {0xFF0000, 0x00FF00, 0x0000FF, true, 0x0180FF00},
    };
    for (const Case& c : cases) {
        PixelFormat format;
        ASSERT_TRUE(PixelFormat::fromMasks(c.red, c.green, c.blue, c.swap, format));
        EXPECT_EQ(format.pixelOf(rgb(0xFF, 0x80, 0x01)), c.pixelOfOrange);
    }
    PixelFormat unused;
    EXPECT_FALSE(PixelFormat::fromMasks(0xF800, 0x07E0, 0x001F, false, unused)); // 16-bit
    EXPECT_FALSE(PixelFormat::fromMasks(0x7F8000, 0x00FF00, 0x0000FF, false, unused));
}

TEST(PixelFormat, CommonShortcutAgreesWithTheGeneralConversion) {
    const PixelFormat common{true, false};
    ASSERT_TRUE(common.isCommon());
    EXPECT_FALSE((PixelFormat{true, true}.isCommon()));
    EXPECT_FALSE((PixelFormat{false, false}.isCommon()));
    EXPECT_FALSE((PixelFormat{true, false, true}.isCommon()));
    // Every byte value in every position, the unused top byte included.
    for (std::uint32_t shift = 0; shift < 32; shift += 8)
        for (std::uint32_t byte = 0; byte < 256; ++byte) {
            const ColourValue colour = byte << shift | 0x00A5C300 >> (24 - shift) % 32;
            ASSERT_EQ(PixelFormat::commonPixelOf(colour), common.pixelOf(colour)) << std::hex << colour;
        }
}

TEST(PixelFormat, AnOpaqueLayoutFillsTheByteLeftOver) {
    // The page canvas's bytes: R, G, B, then full opacity.
    const PixelFormat canvasOrder{false, false, true};
    EXPECT_TRUE(canvasOrder.drawnDirectly());
    EXPECT_EQ(canvasOrder.pixelOf(rgb(0xFF, 0x80, 0x01)), 0xFF0180FFu);
    EXPECT_EQ(canvasOrder.pixelOf(0xAB123456), 0xFF123456u);
    const PixelFormat upper{true, true, true};
    EXPECT_FALSE(upper.drawnDirectly());
    EXPECT_EQ(upper.pixelOf(rgb(0xFF, 0x80, 0x01)), 0xFF8001FFu);
}

TEST(Canvas, StartsInTheFaceColour) {
    auto canvas = heapCanvas(7, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(canvas->pixelAt(x, y), face) << x << "," << y;
}

TEST(Canvas, PlotsRoundedPositionsAndKeepsTheLastPoint) {
    auto canvas = heapCanvas(10, 10);
    canvas->plot(2.5, 3.5, rgb(1, 2, 3), false);
    EXPECT_EQ(canvas->pixelAt(2, 4), PixelFormat{}.pixelOf(rgb(1, 2, 3)));
    EXPECT_EQ(canvas->pixelAt(3, 3), face);
    EXPECT_EQ(canvas->lastPoint().x, 2);
    EXPECT_EQ(canvas->lastPoint().y, 4);

    canvas->plot(1, -1.5, foregroundColour, true);
    EXPECT_EQ(canvas->pixelAt(3, 2), PixelFormat{}.pixelOf(text));
    EXPECT_EQ(canvas->lastPoint().x, 3);
    EXPECT_EQ(canvas->lastPoint().y, 2);
}

TEST(Canvas, IgnoresPositionsOutsideButRemembersThem) {
    const struct {
        double x, y;
    } outside[] = {{10, 0}, {0, 10}, {-1, 5}, {5, -1}, {-0.6, 0}, {1e12, 1}, {NAN, 2}};
    for (const auto& point : outside) {
        auto canvas = heapCanvas(10, 10);
        canvas->plot(point.x, point.y, rgb(255, 0, 0), false);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) ASSERT_EQ(canvas->pixelAt(x, y), face) << point.x;
        EXPECT_EQ(canvas->lastPoint().x, storeInt32(point.x));
        EXPECT_EQ(canvas->lastPoint().y, storeInt32(point.y));
    }
}

TEST(PaintRequests, PostReturnsOnlyAfterTheWindowSideServedIt) {
    PaintRequests requests;
    ASSERT_TRUE(requests.usable());
    std::atomic<std::uint32_t> servedJobs{0};
    std::atomic<bool> stop{false};
    std::thread windowSide([&] {
        while (!stop.load()) {
            const PaintRequests::Round round = requests.takePending();
            servedJobs.fetch_or(round.jobs);
            requests.served(round);
            std::this_thread::yield();
        }
    });
    requests.postAndWait(PaintRequests::focus);
    EXPECT_EQ(servedJobs.load() & PaintRequests::focus, PaintRequests::focus);
    requests.postAndWait(PaintRequests::paint);
    EXPECT_EQ(servedJobs.load(), PaintRequests::focus | PaintRequests::paint);
    stop = true;
    windowSide.join();
}

TEST(PaintRequests, ClosingReleasesWaitersAndLaterRequests) {
    PaintRequests requests;
    std::atomic<bool> returned{false};
    std::atomic<pid_t> waiterThread{0};
    std::thread waiter([&] {
        waiterThread = gettid();
        requests.postAndWait(PaintRequests::paint);
        returned = true;
    });
    // Parked: asleep on an address, with nobody to serve the request.
    EXPECT_TRUE(eventually([&] {
        const auto call = sleepingCall(getpid(), waiterThread);
        return call && call->number == SYS_futex && (call->arguments[1] & FUTEX_CMD_MASK) == FUTEX_WAIT;
    }));
    EXPECT_FALSE(returned.load()) << "nobody served the request yet";
    requests.close();
    waiter.join();
    EXPECT_TRUE(returned.load());
    requests.postAndWait(PaintRequests::paint); // would hang if closing were forgotten
}

TEST(FrameStyle, DefaultHasATitleBarOnlyWithACaption) {
    EXPECT_EQ(chosenFrameStyle(0, "Tessera"), 0x80CA0000u);
    EXPECT_EQ(chosenFrameStyle(0, ""), 0x808A0000u);
    EXPECT_EQ(chosenFrameStyle(0x00C10000, ""), 0x00C10000u);
}

TEST(FrameStyle, MotifHintsFollowTheStyle) {
    struct Case {
        std::uint32_t style;
        long functions, decorations;
    };
    const Case cases[] = {
        {0x80CA0000, 4 | 8 | 32, 2 | 8 | 16 | 32}, // titled: move, minimise, close
        {0x808A0000, 4 | 8 | 32, 2 | 32},          // no title bar, border kept
        {0x00C10000, 4 | 16, 2 | 8 | 64},          // caption and maximise box, no system menu
        {0, 4, 0},
    };
    for (const Case& c : cases) {
        const std::array<long, 5> hints = motifWindowManagerHints(c.style);
        EXPECT_EQ(hints[0], 3) << std::hex << c.style;
        EXPECT_EQ(hints[1], c.functions) << std::hex << c.style;
        EXPECT_EQ(hints[2], c.decorations) << std::hex << c.style;
    }
}

TEST(FrameStyle, Latin1CaptionsBecomeUtf8) {
    EXPECT_EQ(latin1ToUtf8("Tessera"), "Tessera");
    EXPECT_EQ(latin1ToUtf8(""), "");
    EXPECT_EQ(latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(latin1ToUtf8(Text("\x00\xFF", 2)), Text("\x00\xC3\xBF", 3));
}
} // namespace
