// The window thread: every Xlib call for a window happens here, on a display connection of the
// window's own. Drawing threads reach it only through the canvas's paint requests.
#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/xcb.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "graphics/canvas.h"
#include "graphics/frame_style.h"
#include "graphics/platform_window.h"

namespace {
// X11 has no system colours: a light grey face and black text.
constexpr ColourValue faceColour = 0xF0F0F0;
constexpr ColourValue windowTextColour = 0x000000;
// Window sizes travel as 16-bit numbers in the protocol.
constexpr std::int32_t largestSide = 32767;
constexpr int connectAttempts = 100;
constexpr std::chrono::milliseconds connectRetryPause{10};

char programName[] = "tessera";
char programClass[] = "Tessera";

// A failed request (say XShmAttach refused by a remote server) must not end the process; the
// thread that made it checks this flag after a round trip. Errors of requests without a reply
// come among the window's events; the rest reach Xlib's error handler.
thread_local bool protocolErrorSeen = false;

int noteProtocolError(Display*, XErrorEvent*) {
    protocolErrorSeen = true;
    return 0;
}

// Xlib's default ends the process when a server goes away, skipping the program's own shutdown.
// Returning is allowed because every window connection has an exit handler that returns too.
int ignoreConnectionLoss(Display*) { return 0; }

void noteConnectionLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

void installErrorHandlers() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        XInitThreads();
        XSetErrorHandler(noteProtocolError);
        XSetIOErrorHandler(ignoreConnectionLoss);
    });
}

// The extension library's per-extension list of connections is not safe against connections of
// two window threads opening and closing at the same moment; its changes take turns here.
std::mutex connectionBookkeeping;

// The connection's library hands out events it allocated with malloc.
struct FreeEvent {
    void operator()(xcb_generic_event_t* event) const { std::free(event); }
};
using Event = std::unique_ptr<xcb_generic_event_t, FreeEvent>;

// The top bit of an event's type marks events sent by another client.
constexpr std::uint8_t eventTypeBits = 0x7F;

void releaseSharedPixels(std::uint32_t* pixels) { shmdt(pixels); }
void releaseHeapPixels(std::uint32_t* pixels) { delete[] pixels; }

class X11Window final : public PlatformWindow {
public:
    ~X11Window() override { close(); }

    bool open(const FrameSettings& settings) override;

    WindowHandle frame() const override { return frame_; }
    WindowHandle canvasWindow() const override { return canvasWindow_; }
    const std::shared_ptr<Canvas>& canvas() const override { return canvas_; }
    bool waitForRequests() override;
    void putImage() override { copyImage(true); }
    void activate() override;
    // When it returns the server has carried out every request before it.
    void sync() override;
    // Releases everything on the server and closes the connection.
    void close() override;

private:
    bool openDisplay();
    bool chooseVisual();
    bool createWindows(const FrameSettings& settings);
    void describeFrame(const FrameSettings& settings);
    bool createCanvas(std::int32_t width, std::int32_t height);
    bool createSharedImage(std::int32_t width, std::int32_t height, PixelMemory& memory);
    bool createPlainImage(std::int32_t width, std::int32_t height, PixelMemory& memory);
    void setTextProperty(const char* name, const char* type, const Text& value);
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }

    // A shared-memory copy can report its end by an event; see sync.
    void copyImage(bool reportCompletion);
    void handleEvents(bool readConnection);
    void handle(const xcb_generic_event_t& event);
    void handleExpose(const xcb_expose_event_t& event);
    void handleClientMessage(const xcb_client_message_event_t& event);
    bool connectionLost();
    bool ended() { return closed_ || connectionLost(); }

    Display* display_ = nullptr;
    // Events are taken from the connection's own queue: Xlib's reads the connection until a read
    // fails each time it looks for events, a failing system call every round.
    xcb_connection_t* connection_ = nullptr;
    bool connectionLost_ = false;
    bool closed_ = false;
    bool frameDestroyed_ = false; // by another client, before this thread could
    Visual* visual_ = nullptr;
    int depth_ = 0;
    Colormap ownColormap_ = 0;
    Colormap colormap_ = 0;
    PixelFormat logicalFormat_;
    Window frame_ = 0;
    Window canvasWindow_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool segmentAttached_ = false;
    int completionEventType_ = 0;
    bool completionPending_ = false;
    Atom wmProtocols_ = 0;
    Atom wmDeleteWindow_ = 0;
    std::shared_ptr<Canvas> canvas_;
};

void X11Window::close() {
    if (!display_) return;
    if (gc_) XFreeGC(display_, gc_); // also frees client memory, so even on a lost connection
    if (!connectionLost_) {
        if (segmentAttached_) XShmDetach(display_, &segment_);
        if (frame_ && !frameDestroyed_) XDestroyWindow(display_, frame_);
        if (ownColormap_) XFreeColormap(display_, ownColormap_);
    }
    if (image_) {
        image_->data = nullptr; // the canvas owns the pixels
        XDestroyImage(image_);
    }
    {
        const std::lock_guard turn(connectionBookkeeping);
        XCloseDisplay(display_);
    }
    display_ = nullptr;
    gc_ = nullptr;
    image_ = nullptr;
}

bool X11Window::open(const FrameSettings& settings) {
    if (settings.width < 1 || settings.height < 1 || settings.width > largestSide ||
        settings.height > largestSide)
        return false;
    if (!openDisplay() || !chooseVisual() || !createWindows(settings) ||
        !createCanvas(settings.width, settings.height))
        return false;
    describeFrame(settings);
    XMapWindow(display_, canvasWindow_);
    XMapWindow(display_, frame_);
    // The server paints the face colour on mapping; from then on exposures are painted from the
    // buffer alone, without clearing to the background first.
    XSync(display_, False);
    XSetWindowBackgroundPixmap(display_, canvasWindow_, None);
    // The first exposure, which the round trip brought, is painted before openWindow returns, so
    // it never shows pixels drawn after that.
    handleEvents(false);
    XSync(display_, False);
    return !connectionLost();
}

bool X11Window::openDisplay() {
    installErrorHandlers();
    // A busy server's listen queue can be full for a moment: connecting then fails with EAGAIN.
    for (int attempt = 0; attempt < connectAttempts && !display_; ++attempt) {
        errno = 0;
        display_ = XOpenDisplay(nullptr);
        if (!display_ && errno != EAGAIN) return false;
        if (!display_) std::this_thread::sleep_for(connectRetryPause);
    }
    if (!display_) return false;
    // Allowed only before the connection is used.
    XSetEventQueueOwner(display_, XCBOwnsEventQueue);
    connection_ = XGetXCBConnection(display_);
    XSetIOErrorExitHandler(display_, noteConnectionLost, &connectionLost_);
    wmProtocols_ = atom("WM_PROTOCOLS");
    wmDeleteWindow_ = atom("WM_DELETE_WINDOW");
    return true;
}

bool X11Window::chooseVisual() {
    const int screen = DefaultScreen(display_);
    XVisualInfo info{};
    Visual* defaultVisual = DefaultVisual(display_, screen);
    if (DefaultDepth(display_, screen) == 24 && defaultVisual->c_class == TrueColor) {
        visual_ = defaultVisual;
        colormap_ = DefaultColormap(display_, screen);
    } else if (XMatchVisualInfo(display_, screen, 24, TrueColor, &info)) {
        visual_ = info.visual;
        ownColormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual_, AllocNone);
        colormap_ = ownColormap_;
    } else {
        return false;
    }
    depth_ = 24;
    return PixelFormat::fromMasks(visual_->red_mask, visual_->green_mask, visual_->blue_mask,
                                  false, logicalFormat_);
}

bool X11Window::createWindows(const FrameSettings& settings) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = logicalFormat_.pixelOf(faceColour);
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    // The frame is told when it is destroyed: another client may destroy it without asking.
    attributes.event_mask = StructureNotifyMask;
    const unsigned long mask = CWBackPixel | CWBorderPixel | CWColormap | CWEventMask;
    const auto width = static_cast<unsigned>(settings.width);
    const auto height = static_cast<unsigned>(settings.height);
    frame_ = XCreateWindow(display_, DefaultRootWindow(display_), settings.x, settings.y, width,
                           height, 0, depth_, InputOutput, visual_, mask, &attributes);
    if (!frame_) return false;
    attributes.event_mask = ExposureMask;
    canvasWindow_ = XCreateWindow(display_, frame_, 0, 0, width, height, 0, depth_, InputOutput,
                                  visual_, mask, &attributes);
    if (!canvasWindow_) return false;
    gc_ = XCreateGC(display_, canvasWindow_, 0, nullptr);
    return gc_ != nullptr;
}

void X11Window::setTextProperty(const char* name, const char* type, const Text& value) {
    XChangeProperty(display_, frame_, atom(name), atom(type), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(value.data()),
                    static_cast<int>(value.size()));
}

void X11Window::describeFrame(const FrameSettings& settings) {
    setTextProperty("WM_NAME", "STRING", settings.caption);
    setTextProperty("_NET_WM_NAME", "UTF8_STRING", latin1ToUtf8(settings.caption));

    // Position honoured as the outer corner, and a client size that cannot change.
    XSizeHints size{};
    size.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    size.x = settings.x;
    size.y = settings.y;
    size.width = size.min_width = size.max_width = settings.width;
    size.height = size.min_height = size.max_height = settings.height;
    size.win_gravity = NorthWestGravity;
    XSetWMNormalHints(display_, frame_, &size);

    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display_, frame_, &hints);

    XClassHint classHint{programName, programClass};
    XSetClassHint(display_, frame_, &classHint);
    XSetWMProtocols(display_, frame_, &wmDeleteWindow_, 1);

    const std::array<long, 5> motif =
        motifWindowManagerHints(chosenFrameStyle(settings.style, settings.caption));
    const Atom motifAtom = atom("_MOTIF_WM_HINTS");
    XChangeProperty(display_, frame_, motifAtom, motifAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif.data()),
                    static_cast<int>(motif.size()));
}

bool X11Window::createSharedImage(std::int32_t width, std::int32_t height, PixelMemory& memory) {
    {
        const std::lock_guard turn(connectionBookkeeping);
        if (!XShmQueryExtension(display_)) return false;
        completionEventType_ = XShmGetEventBase(display_) + ShmCompletion;
    }
    image_ = XShmCreateImage(display_, visual_, depth_, ZPixmap, nullptr, &segment_,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image_) return false;
    if (image_->bits_per_pixel != 32 || image_->bytes_per_line != width * 4) return false;
    const std::size_t bytes = std::size_t(image_->bytes_per_line) * std::size_t(height);
    segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment_.shmid < 0) return false;
    void* address = shmat(segment_.shmid, nullptr, 0);
    // Marked for removal at once: the segment then goes away with its last attachment, even if
    // the process dies.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return false;
    memory = PixelMemory(static_cast<std::uint32_t*>(address), releaseSharedPixels);
    segment_.shmaddr = image_->data = static_cast<char*>(address);
    segment_.readOnly = True;
    protocolErrorSeen = false;
    XShmAttach(display_, &segment_);
    XSync(display_, False);
    handleEvents(false);
    segmentAttached_ = !protocolErrorSeen && !connectionLost();
    return segmentAttached_;
}

bool X11Window::createPlainImage(std::int32_t width, std::int32_t height, PixelMemory& memory) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    memory = PixelMemory(new (std::nothrow) std::uint32_t[count], releaseHeapPixels);
    if (!memory) return false;
    image_ = XCreateImage(display_, visual_, depth_, ZPixmap, 0,
                          reinterpret_cast<char*>(memory.get()), static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 32, width * 4);
    if (!image_ || image_->bits_per_pixel != 32) return false;
    // Pixels are written in this machine's order; Xlib reorders them for the server if needed.
    image_->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    return true;
}

bool X11Window::createCanvas(std::int32_t width, std::int32_t height) {
    PixelMemory memory(nullptr, releaseHeapPixels);
    if (!createSharedImage(width, height, memory)) {
        if (image_) {
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
        }
        if (connectionLost() || !createPlainImage(width, height, memory)) return false;
    }
    const bool machineOrder =
        (image_->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
    PixelFormat memoryFormat;
    if (!PixelFormat::fromMasks(visual_->red_mask, visual_->green_mask, visual_->blue_mask,
                                !machineOrder, memoryFormat))
        return false;
    canvas_ = std::make_shared<Canvas>(std::move(memory), width, height, memoryFormat,
                                       windowTextColour, faceColour);
    return canvas_->requests().usable();
}

bool X11Window::waitForRequests() {
    pollfd waits[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0},
                       {static_cast<int>(canvas_->requests().wakeUp().waitable()), POLLIN, 0}};
    for (;;) {
        // Events an earlier read brought are handled without reading the connection, which is
        // read only once the server has sent something.
        handleEvents(false);
        if (ended()) return false;
        if (poll(waits, 2, -1) < 0 && errno != EINTR) return false;
        if (waits[0].revents != 0) handleEvents(true);
        if (ended()) return false;
        if (waits[1].revents & POLLIN) return true;
    }
}

// With `readConnection` the connection is read once first (say when poll found it readable);
// otherwise only events already read are handled, without a system call.
void X11Window::handleEvents(bool readConnection) {
    Event event(readConnection ? xcb_poll_for_event(connection_)
                               : xcb_poll_for_queued_event(connection_));
    for (; event && !ended(); event.reset(xcb_poll_for_queued_event(connection_))) handle(*event);
}

// Reading events reports a lost connection only here; Xlib's exit handler notes it once one of
// Xlib's own calls meets it.
bool X11Window::connectionLost() {
    if (xcb_connection_has_error(connection_)) connectionLost_ = true;
    return connectionLost_;
}

void X11Window::handle(const xcb_generic_event_t& event) {
    const int type = event.response_type & eventTypeBits;
    if (type == 0) {
        protocolErrorSeen = true;
    } else if (segmentAttached_ && type == completionEventType_) {
        completionPending_ = false;
    } else if (type == XCB_EXPOSE) {
        handleExpose(reinterpret_cast<const xcb_expose_event_t&>(event));
    } else if (type == XCB_CLIENT_MESSAGE) {
        handleClientMessage(reinterpret_cast<const xcb_client_message_event_t&>(event));
    } else if (type == XCB_DESTROY_NOTIFY) {
        if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == frame_)
            closed_ = frameDestroyed_ = true;
    }
}

void X11Window::handleExpose(const xcb_expose_event_t& event) {
    if (event.window != canvasWindow_ || event.count != 0) return;
    copyImage(false);
    XFlush(display_);
}

void X11Window::handleClientMessage(const xcb_client_message_event_t& event) {
    if (event.window == frame_ && event.type == wmProtocols_ && event.format == 32 &&
        event.data.data32[0] == wmDeleteWindow_)
        closed_ = true;
}

void X11Window::copyImage(bool reportCompletion) {
    const auto width = static_cast<unsigned>(canvas_->width());
    const auto height = static_cast<unsigned>(canvas_->height());
    if (!segmentAttached_) {
        XPutImage(display_, canvasWindow_, gc_, image_, 0, 0, 0, 0, width, height);
        return;
    }
    XShmPutImage(display_, canvasWindow_, gc_, image_, 0, 0, 0, 0, width, height, reportCompletion);
    if (!reportCompletion) return;
    completionPending_ = true;
    protocolErrorSeen = false;
}

// The end of a shared-memory copy comes as an event, which one read of the connection brings
// with whatever else the server sent meanwhile. A round trip would cost the same wait and then
// reads of an empty connection besides. A copy that fails reports an error instead, so the
// wait also ends on anything that ends the window: its destruction, its closing or the
// connection's loss.
void X11Window::sync() {
    if (!completionPending_) {
        XSync(display_, False);
        return;
    }
    XFlush(display_);
    pollfd connection{xcb_get_file_descriptor(connection_), POLLIN, 0};
    for (bool readConnection = false;; readConnection = true) {
        handleEvents(readConnection);
        if (!completionPending_ || protocolErrorSeen || ended()) break;
        if (poll(&connection, 1, -1) < 0 && errno != EINTR) break;
    }
    completionPending_ = false;
}

void X11Window::activate() {
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = frame_;
    request.xclient.message_type = atom("_NET_ACTIVE_WINDOW");
    request.xclient.format = 32;
    request.xclient.data.l[0] = 1; // from an ordinary application
    request.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, DefaultRootWindow(display_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XRaiseWindow(display_, frame_);
}

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::make() { return std::make_unique<X11Window>(); }

Text PlatformWindow::whereWindowsOpen() {
    const char* name = XDisplayName(nullptr);
    const Text display = name ? Text(name) : Text();
    return "display \"" + display + "\"" + (display.empty() ? " (DISPLAY is not set)" : "");
}
