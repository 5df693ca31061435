// The window thread in the browser: the window is a canvas element in the page under its caption,
// with a close button. The page's elements belong to the page's own thread, so opening, bringing
// forward and closing are handed to it and return when carried out there (Module.tesseraWindows,
// the page's). The canvas itself is drawn by a worker of its own (web/canvas_worker.js), which
// takes each frame straight from the canvas's pixels in shared memory, so that a frame never waits
// for the page's thread.
#include <emscripten/emscripten.h>
#include <emscripten/threading.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <new>

#include "graphics/canvas.h"
#include "graphics/frame_style.h"
#include "graphics/platform_window.h"
#include "graphics/web/wake_up_channel.h"

namespace {
// The page has no system colours: a light grey face and black text, as on X11.
constexpr ColourValue faceColour = 0xF0F0F0;
constexpr ColourValue windowTextColour = 0x000000;
// The largest canvas side browsers draw.
constexpr std::int32_t largestSide = 16384;

void releaseHeapPixels(std::uint32_t* pixels) { delete[] pixels; }

class WebWindow final : public PlatformWindow {
public:
    ~WebWindow() override { close(); }

    // The page numbers its windows from 1; the frame and its canvas take two handles from that.
    WindowHandle frame() const override { return pageWindow_ * 2; }
    WindowHandle canvasWindow() const override { return pageWindow_ * 2 + 1; }
    const std::shared_ptr<Canvas>& canvas() const override { return canvas_; }

    bool open(const FrameSettings& settings) override;
    bool waitForRequests() override;
    // The canvas holds the frame when this returns; the browser shows it at its next paint.
    void putImage() override;
    void activate() override { MAIN_THREAD_EM_ASM({ Module.tesseraWindows.activate($0); }, pageWindow_); }
    // Every operation is carried out before it returns.
    void sync() override {}
    void close() override;

    // The page's close button: the window thread's wait ends as for a request, and finds the
    // window closed.
    void closedByUser() {
        closed_.store(true);
        canvas_->requests().wakeUp().raise();
    }

private:
    int pageWindow_ = 0;
    std::shared_ptr<Canvas> canvas_;
    // The frames asked of the canvas's worker, and those it has put into the canvas; the page
    // reads them as two 32-bit words in this order.
    struct FrameCounts {
        std::atomic<std::uint32_t> asked{0};
        std::atomic<std::uint32_t> put{0};
    } frames_;
    std::atomic<bool> closed_{false};
};

bool WebWindow::open(const FrameSettings& settings) {
    const std::int32_t width = settings.width, height = settings.height;
    if (width <= 0 || height <= 0 || width > largestSide || height > largestSide) return false;
    PixelMemory memory(new (std::nothrow) std::uint32_t[std::size_t(width) * std::size_t(height)](),
                       releaseHeapPixels);
    if (!memory) return false;
    // Pixels are kept in the canvas's own bytes, R, G, B and an opacity that is always full, so
    // that the page copies each frame as it is.
    const PixelFormat format{.swapRedBlue = false, .upperBytes = false, .opaque = true};
    canvas_ = std::make_shared<Canvas>(std::move(memory), width, height, format, windowTextColour, faceColour);
    if (!canvas_->requests().usable()) return false;
    const bool titled = (chosenFrameStyle(settings.style, settings.caption) & frameStyleCaption) == frameStyleCaption;
    const Text caption = titled ? latin1ToUtf8(settings.caption) : Text();
    pageWindow_ = MAIN_THREAD_EM_ASM_INT(
        {
            return Module.tesseraWindows.open(UTF8ToString($0), $1, $2, $3, $4,
                                              function() { Module._tesseraWindowClosed($5); });
        },
        caption.c_str(), width, height, canvas_->pixels(), &frames_, this);
    if (pageWindow_ <= 0) return false;
    putImage();
    return true;
}

void WebWindow::putImage() {
    const std::uint32_t frame = frames_.asked.fetch_add(1) + 1;
    emscripten_futex_wake(&frames_.asked, 1);
    // A window closed since (the page closes it when its worker cannot run) puts no more frames;
    // the page then also moves the count, so that a wait begun before the closing ends.
    for (std::uint32_t put; (put = frames_.put.load()) != frame && !closed_.load();)
        emscripten_futex_wait(&frames_.put, put, INFINITY);
}

bool WebWindow::waitForRequests() {
    sleepUntilRaised(canvas_->requests().wakeUp());
    return !closed_.load();
}

void WebWindow::close() {
    if (pageWindow_ > 0) MAIN_THREAD_EM_ASM({ Module.tesseraWindows.close($0); }, pageWindow_);
    pageWindow_ = 0;
}

} // namespace

// Called by the page when the user closes the window.
extern "C" EMSCRIPTEN_KEEPALIVE void tesseraWindowClosed(WebWindow* window) { window->closedByUser(); }

std::unique_ptr<PlatformWindow> PlatformWindow::make() { return std::make_unique<WebWindow>(); }

// Windows open on the page the program runs in.
Text PlatformWindow::whereWindowsOpen() { return Text("display \"the page\""); }
