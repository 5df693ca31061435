// The registry and the canvas operations, with canvases entered by hand instead of by a window
// thread (immediate mode is left to the X tests, as it needs a window thread to serve it).
#include <gtest/gtest.h>

#include <vector>

#include <thread>

#include "graphics/attached_canvas.h"
#include "graphics/window.h"
#include "graphics/window_registry.h"
#include "runtime/thread_record.h"
#include "runtime/errors.h"

namespace {
constexpr ColourValue face = 0xF0F0F0;
// The page canvas's bytes: R, G, B, full opacity.
constexpr PixelFormat canvasOrder{false, false, true};

std::shared_ptr<Canvas> makeCanvas(std::int32_t width, std::int32_t height,
                                   PixelFormat format = {}) {
    PixelMemory memory(new std::uint32_t[std::size_t(width) * std::size_t(height)],
                       [](std::uint32_t* pixels) { delete[] pixels; });
    return std::make_shared<Canvas>(std::move(memory), width, height, format, 0x123456, face);
}

// A frame with its canvas as control 0, removed again at the end of the test.
class EnteredWindow {
public:
    EnteredWindow(WindowHandle frame, std::int32_t width, std::int32_t height,
                  PixelFormat format = {})
        : frame_(frame), canvas_(makeCanvas(width, height, format)) {
        windowRegistry().insert({frame, 0, WindowRecord::frameWindow, 0, nullptr});
        windowRegistry().insert({canvasHandle(), frame, WindowRecord::childControl, 0, canvas_});
    }
    ~EnteredWindow() { windowRegistry().removeFrame(frame_); }

    WindowHandle frame() const { return frame_; }
    WindowHandle canvasHandle() const { return frame_ + 1; }
    std::weak_ptr<Canvas> watch() const { return canvas_; }
    Canvas& canvas() { return *canvas_; }
    void dropOwnReference() { canvas_.reset(); }

private:
    WindowHandle frame_;
    std::shared_ptr<Canvas> canvas_;
};

int errorOfAttach(WindowHandle window, std::int32_t control, std::int32_t mode) {
    RoutineActivation activation;
    attachWindow(window, control, mode);
    return activation.errorWord.number();
}

CanvasSize attachedSize() { return canvasSize(); }

TEST(AttachWindow, FindsTheCanvasByFrameAndControlOrByItsOwnHandle) {
    EnteredWindow window(0x7100, 12, 34);
    const struct {
        WindowHandle handle;
        std::int32_t control;
    } ways[] = {{window.frame(), 0}, {window.canvasHandle(), 0}, {window.canvasHandle(), 5}};
    for (const auto& way : ways) {
        EXPECT_EQ(errorOfAttach(way.handle, way.control, bufferedRedraw), 0);
        EXPECT_EQ(attachedSize().width, 12);
        EXPECT_EQ(attachedSize().height, 34);
        EXPECT_EQ(attachedCanvasHandle(), window.canvasHandle());
    }
}

TEST(AttachWindow, RaisesNoCanvasAndLeavesTheThreadWithout) {
    EnteredWindow window(0x7200, 5, 5);
    const struct {
        WindowHandle handle;
        std::int32_t control;
    } failures[] = {{0, 0}, {window.frame(), 3}, {0x7FFF, 0}};
    for (const auto& failure : failures) {
        ASSERT_EQ(errorOfAttach(window.frame(), 0, bufferedRedraw), 0);
        EXPECT_EQ(errorOfAttach(failure.handle, failure.control, bufferedRedraw), 68);
        EXPECT_EQ(attachedSize().width, 0);
        EXPECT_EQ(attachedSize().height, 0);
        setPixel(1, 1, rgb(9, 9, 9)); // no canvas: nothing happens
        EXPECT_EQ(window.canvas().pixelAt(1, 1), face);
    }
}

TEST(AttachWindow, ReplacesTheModeOfTheCanvas) {
    EnteredWindow window(0x7300, 5, 5);
    attachWindow(window.frame(), 0, bufferedRedraw | 0x01);
    EXPECT_TRUE(window.canvas().buffered());
    attachWindow(window.frame(), 0, 0x7F);
    EXPECT_FALSE(window.canvas().buffered());
}

TEST(SetPixel, DrawsIntoTheAttachedCanvasInBufferedMode) {
    EnteredWindow window(0x7400, 8, 8);
    attachWindow(window.frame(), 0, bufferedRedraw);
    setPixel(2.5, 3.5, rgb(10, 20, 30));
    setPixel(8, 0, rgb(10, 20, 30));
    EXPECT_EQ(window.canvas().pixelAt(2, 4), 0x0A141Eu); // the default format is 0xRRGGBB
    EXPECT_EQ(window.canvas().lastPoint().x, 8);
}

// Rows inside, across either edge, beside and below the canvas, with levels out of range, on the
// layouts drawn in one pass (the common one, the page canvas's) and on another (drawn pixel by
// pixel), for every cell type.
template <class Grey>
void expectRowsEqualPixels(const std::vector<std::int64_t>& levels) {
    // Longer than the widest vector, so both the vector loop and its scalar tail draw.
    Grey greys[45];
    for (std::size_t k = 0; k < std::size(greys); ++k) greys[k] = Grey(levels[k * 5 % levels.size()]);
    constexpr std::int32_t width = 40, height = 5;
    const struct {
        std::int32_t x, y, count;
    } rows[] = {{0, 0, 40}, {2, 1, 37}, {-3, 2, 45}, {4, 3, 45}, {39, 4, 2}, {0, -1, 40}, {0, 5, 40}, {3, 4, 0}};
    for (const PixelFormat format : {PixelFormat{}, canvasOrder, PixelFormat{false, true}}) {
        EnteredWindow byRow(0x7500, width, height, format), byPixel(0x7600, width, height, format);
        for (const auto& row : rows) {
            attachWindow(byRow.frame(), 0, bufferedRedraw);
            setPixelRow(row.x, row.y, greys, row.count);
            attachWindow(byPixel.frame(), 0, bufferedRedraw);
            for (std::int32_t k = 0; k < row.count; ++k) setPixel(row.x + k, row.y, rgb(greys[k], greys[k], greys[k]));

            for (std::int32_t y = 0; y < height; ++y)
                for (std::int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(byRow.canvas().pixelAt(x, y), byPixel.canvas().pixelAt(x, y))
                        << x << "," << y << " after the row at " << row.x << "," << row.y << ", " << sizeof(Grey)
                        << "-byte cells";
            EXPECT_EQ(byRow.canvas().lastPoint().x, byPixel.canvas().lastPoint().x);
            EXPECT_EQ(byRow.canvas().lastPoint().y, byPixel.canvas().lastPoint().y);
        }
    }
}

TEST(SetPixelRow, EqualsSetPixelForEachCellInBufferedMode) {
    expectRowsEqualPixels<std::int32_t>({-7, 0, 1, 128, 254, 255, 256, 300, INT32_MIN, INT32_MAX, 77, 200});
    expectRowsEqualPixels<std::uint16_t>({0, 1, 128, 254, 255, 256, 300, 65535, 77, 200, 511, 3});
    expectRowsEqualPixels<std::uint8_t>({0, 1, 128, 254, 255, 77, 200, 3, 17, 100, 250, 9});
}

// Blocks filling whole rows (drawn in one pass, starting at different distances from a vector
// boundary, on a canvas narrower than a vector too), running past the bottom, the top or the last 32-bit row,
// narrower than the canvas, and on other layouts, each equal to its rows drawn one by one.
template <class Grey>
void expectBlocksEqualRows(std::int32_t width) {
    constexpr std::int32_t height = 6;
    const std::ptrdiff_t stride = width + 3;
    std::vector<Grey> greys(std::size_t(stride) * height);
    for (std::size_t k = 0; k < greys.size(); ++k) greys[k] = Grey(k * 37 % 300);
    const struct {
        std::int32_t x, y, count, rows;
    } blocks[] = {{0, 0, width, height}, {0, 1, width, 3}, {0, 4, width, 3},  {0, -1, width, 2},
                  {1, 2, width - 2, 2}, {0, 5, width, 1}, {0, 0, width, 0}, {0, INT32_MAX - 1, width, 3}};
    for (const PixelFormat format : {PixelFormat{}, canvasOrder, PixelFormat{false, true}}) {
        EnteredWindow byBlock(0x7700, width, height, format), byRow(0x7800, width, height, format);
        for (const auto& block : blocks) {
            attachWindow(byBlock.frame(), 0, bufferedRedraw);
            setPixelRows(block.x, block.y, greys.data(), stride, block.count, block.rows);
            attachWindow(byRow.frame(), 0, bufferedRedraw);
            for (std::int32_t k = 0; k < block.rows && std::int64_t(block.y) + k <= INT32_MAX; ++k)
                setPixelRow(block.x, block.y + k, greys.data() + k * stride, block.count);

            for (std::int32_t y = 0; y < height; ++y)
                for (std::int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(byBlock.canvas().pixelAt(x, y), byRow.canvas().pixelAt(x, y))
                        << x << "," << y << " after the block at " << block.x << "," << block.y << ", "
                        << block.rows << " rows of " << width << ", " << sizeof(Grey) << "-byte cells";
            EXPECT_EQ(byBlock.canvas().lastPoint().x, byRow.canvas().lastPoint().x);
            EXPECT_EQ(byBlock.canvas().lastPoint().y, byRow.canvas().lastPoint().y);
        }
    }
}

TEST(SetPixelRows, EqualsSetPixelRowForEachRow) {
    for (const std::int32_t width : {40, 10, 77}) {
        expectBlocksEqualRows<std::uint16_t>(width);
        expectBlocksEqualRows<std::uint8_t>(width);
    }
}

TEST(CanvasCache, RemovalMakesTheCanvasVanishAndReleasesItAtTheNextOperation) {
    auto window = std::make_unique<EnteredWindow>(0x7500, 6, 6);
    attachWindow(window->frame(), 0, bufferedRedraw);
    setPixel(0, 0, rgb(1, 1, 1));
    const std::weak_ptr<Canvas> watched = window->watch();
    window->dropOwnReference();
    EXPECT_FALSE(watched.expired()) << "the drawing thread's cache keeps the buffer alive";

    window.reset(); // the window is destroyed
    EXPECT_EQ(attachedSize().width, 0);
    EXPECT_EQ(attachedSize().height, 0);
    EXPECT_TRUE(watched.expired());
    setPixel(0, 0, rgb(1, 1, 1));
    redraw();
    focusWindow();
    EXPECT_EQ(attachedCanvasHandle(), 0x7501u) << "the handle stays, resolving to nothing";
}

TEST(CanvasCache, ANewerWindowWithTheSameHandleIsSeenAfresh) {
    auto first = std::make_unique<EnteredWindow>(0x7600, 6, 6);
    attachWindow(first->frame(), 0, bufferedRedraw);
    EXPECT_EQ(attachedSize().width, 6);
    first.reset();
    EnteredWindow second(0x7600, 9, 4);
    EXPECT_EQ(attachedSize().width, 9);
    EXPECT_EQ(attachedSize().height, 4);
}

TEST(CanvasSize, IsZeroForAThreadThatNeverAttached) {
    std::thread fresh([] {
        const CanvasSize size = canvasSize();
        EXPECT_EQ(size.width, 0);
        EXPECT_EQ(size.height, 0);
    });
    fresh.join();
}
bool sameLastPointAndPixels(const Canvas& drawn, const Canvas& reference) {
    if (drawn.lastPoint().x != reference.lastPoint().x ||
        drawn.lastPoint().y != reference.lastPoint().y)
        return false;
    for (std::int32_t y = 0; y < reference.height(); ++y)
        for (std::int32_t x = 0; x < reference.width(); ++x)
            if (drawn.pixelAt(x, y) != reference.pixelAt(x, y)) return false;
    return true;
}

// setPixel through the thread's drawing target must leave every pixel and the last point exactly
// as Canvas::plot leaves them on a twin canvas, in every pixel layout (the uncommon ones take the
// slow path) and at every kind of position, inside, on the edges and outside.
TEST(SetPixel, MatchesCanvasPlotInEveryLayout) {
    constexpr std::int32_t width = 7, height = 5;
    const std::int32_t positions[][2] = {{0, 0},         {6, 4},  {3, 2},  {7, 0},  {0, 5},
                                         {-1, 2},        {2, -1}, {6, 0},  {0, 4},  {INT32_MIN, 1},
                                         {1, INT32_MAX}, {5, 3},  {4, 1},  {1, 3},  {2, 2}};
    const ColourValue colours[] = {rgb(0, 0, 0),    rgb(255, 255, 255), rgb(128, 128, 128),
                                   rgb(255, 128, 1), foregroundColour,  0xAB123456};
    // Red and blue either way round, the channels low or high, the spare byte empty or full.
    std::vector<PixelFormat> formats;
    for (const bool swap : {true, false})
        for (const bool upper : {false, true})
            for (const bool opaque : {false, true}) formats.push_back({swap, upper, opaque});
    WindowHandle frame = 0x7700;
    for (const PixelFormat& format : formats) {
        EnteredWindow window(frame, width, height, format);
        frame += 0x10;
        const auto reference = makeCanvas(width, height, format);
        attachWindow(window.frame(), 0, bufferedRedraw);
        for (const auto& position : positions) {
            for (const ColourValue colour : colours) {
                setPixel(position[0], position[1], colour);
                reference->plot(position[0], position[1], colour);
                ASSERT_TRUE(sameLastPointAndPixels(window.canvas(), *reference))
                    << "swap " << format.swapRedBlue << " upper " << format.upperBytes << " opaque "
                    << format.opaque << " at " << position[0] << "," << position[1] << " colour " << std::hex
                    << colour;
            }
        }
    }
}

TEST(SetPixel, RelativePositionsStartFromTheLastWholeNumberPixel) {
    EnteredWindow window(0x7800, 8, 8);
    attachWindow(window.frame(), 0, bufferedRedraw);
    setPixel(3, 4, rgb(1, 1, 1));
    setPixel(1.0, -1.5, rgb(2, 2, 2), true); // (4, 2.5) rounds to (4, 2)
    EXPECT_EQ(window.canvas().pixelAt(4, 2), 0x020202u);
    EXPECT_EQ(window.canvas().lastPoint().x, 4);
    EXPECT_EQ(window.canvas().lastPoint().y, 2);
}

// Immediate mode has every pixel refreshed; with the window side gone the refresh returns at once,
// so the pixel must still have been drawn through the slow path, and buffered mode comes back.
TEST(SetPixel, FollowsTheModeOfEachAttach) {
    EnteredWindow window(0x7900, 4, 4);
    window.canvas().requests().close();
    attachWindow(window.frame(), 0, 0);
    setPixel(1, 1, rgb(5, 5, 5));
    EXPECT_EQ(window.canvas().pixelAt(1, 1), 0x050505u);
    attachWindow(window.frame(), 0, bufferedRedraw);
    setPixel(2, 2, rgb(6, 6, 6));
    EXPECT_EQ(window.canvas().pixelAt(2, 2), 0x060606u);
}

// A released thread record takes the attachment with it: the drawing target must not keep
// drawing into the canvas (nor into its memory once nothing else holds it).
TEST(SetPixel, ForgetsTheCanvasWithTheThreadRecord) {
    std::thread drawer([] {
        EnteredWindow window(0x7A00, 4, 4);
        attachWindow(window.frame(), 0, bufferedRedraw);
        setPixel(0, 0, rgb(1, 1, 1));
        releaseThreadRecord();
        setPixel(0, 0, rgb(2, 2, 2));
        EXPECT_EQ(window.canvas().pixelAt(0, 0), 0x010101u);
        EXPECT_EQ(attachedCanvasHandle(), 0u);
    });
    drawer.join();
}
} // namespace
