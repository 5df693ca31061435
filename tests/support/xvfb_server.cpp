#include "tests/support/xvfb_server.h"
#include "tests/support/eventually.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <memory>

namespace {
constexpr int startTimeoutMilliseconds = 20000;

// Reads the display number the server writes once it accepts connections; -1 on failure.
int readDisplayNumber(int fd) {
    std::string digits;
    pollfd wait{fd, POLLIN, 0};
    while (poll(&wait, 1, startTimeoutMilliseconds) > 0) {
        char byte;
        if (read(fd, &byte, 1) != 1) break;
        if (byte == '\n') return digits.empty() ? -1 : std::atoi(digits.c_str());
        digits += byte;
    }
    return -1;
}

int channelValue(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    const unsigned long largest = mask >> std::countr_zero(mask);
    return static_cast<int>(value * 255 / largest);
}

// A busy server's listen queue can be full for a moment (connect fails with EAGAIN).
Display* openDisplayPatiently() {
    // The window service's threads use Xlib too; thread support must come before any display.
    XInitThreads();
    for (int attempt = 0; attempt < 100; ++attempt) {
        errno = 0;
        if (Display* display = XOpenDisplay(nullptr)) return display;
        if (errno != EAGAIN) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

// Starts Xvfb, which reports its display number on `displayFd`. The server is killed when the
// thread that started it ends, so a test that dies leaves no server behind.
pid_t startServer(int displayFd) {
    const std::string fd = std::to_string(displayFd);
    // -noreset: a server that resets when its last client leaves drops connections arriving
    // meanwhile, and the tests connect and disconnect all the time.
    const char* arguments[] = {"Xvfb",      "-displayfd", fd.c_str(), "-screen",  "0",
                               "1280x1024x24", "-nolisten", "tcp",     "-noreset", nullptr};
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Only async-signal-safe calls from here on: the test may run other threads.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(126);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execv("/usr/bin/Xvfb", const_cast<char* const*>(arguments));
    _exit(127);
}

struct XFreeDeleter {
    void operator()(void* data) const { XFree(data); }
};
} // namespace

XvfbServer::XvfbServer() {
    int ends[2];
    if (pipe(ends) != 0) return;
    fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    const pid_t pid = startServer(ends[1]);
    close(ends[1]);
    if (pid > 0) {
        pid_ = pid;
        display_ = readDisplayNumber(ends[0]);
    }
    close(ends[0]);
    if (display_ >= 0)
        setenv("DISPLAY", displayName().c_str(), 1);
    else
        stop();
}

XvfbServer::~XvfbServer() { stop(); }

std::string XvfbServer::displayName() const {
    // Appended rather than ":" + to_string(...), over which g++ 12 warns wrongly (-Wrestrict).
    std::string name = ":";
    name += std::to_string(display_);
    return name;
}

void XvfbServer::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

ScreenProbe::ScreenProbe() : display_(openDisplayPatiently()) {}

ScreenProbe::~ScreenProbe() {
    if (display_) XCloseDisplay(display_);
}

XWindowId ScreenProbe::rootWindow() const { return DefaultRootWindow(display_); }

std::vector<std::uint32_t> ScreenProbe::readPixels(XWindowId window, int x, int y, int width,
                                                   int height) {
    std::vector<std::uint32_t> colours;
    XImage* image = XGetImage(display_, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return colours;
    colours.reserve(std::size_t(width) * std::size_t(height));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long value = XGetPixel(image, column, row);
            colours.push_back(static_cast<std::uint32_t>(
                channelValue(value, image->red_mask) | channelValue(value, image->green_mask) << 8 |
                channelValue(value, image->blue_mask) << 16));
        }
    }
    XDestroyImage(image);
    return colours;
}

std::uint32_t ScreenProbe::pixel(XWindowId window, int x, int y) {
    const std::vector<std::uint32_t> colours = readPixels(window, x, y, 1, 1);
    return colours.empty() ? 0xFFFFFFFF : colours.front();
}

std::optional<ScreenProbe::Geometry> ScreenProbe::geometry(XWindowId window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return std::nullopt;
    int rootX = 0;
    int rootY = 0;
    Window child;
    XTranslateCoordinates(display_, window, rootWindow(), 0, 0, &rootX, &rootY, &child);
    return Geometry{rootX, rootY, attributes.width, attributes.height};
}

XWindowId ScreenProbe::firstChild(XWindowId window) {
    Window root;
    Window parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return 0;
    const XWindowId first = count > 0 ? children[0] : 0;
    if (children) XFree(children);
    return first;
}

XWindowId ScreenProbe::findTopLevel(const std::string& name) {
    Window root;
    Window parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, rootWindow(), &root, &parent, &children, &count)) return 0;
    XWindowId found = 0;
    // Topmost first, so the newest of several equally named windows wins.
    for (unsigned index = count; index-- > 0 && !found;)
        if (textProperty(children[index], "WM_NAME") == name) found = children[index];
    if (children) XFree(children);
    return found;
}

XWindowId ScreenProbe::waitForTopLevel(const std::string& name, std::chrono::milliseconds timeout) {
    XWindowId window = 0;
    eventually([&] { return (window = findTopLevel(name)) != 0; }, timeout);
    return window;
}

namespace {
// A window property as the server holds it; format 0 when it is not set.
struct Property {
    int format = 0;
    unsigned long count = 0;
    std::unique_ptr<unsigned char, XFreeDeleter> data;
};

Property readProperty(Display* display, XWindowId window, const char* name) {
    Atom type;
    Property property;
    unsigned long remaining;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, AnyPropertyType, &type,
                           &property.format, &property.count, &remaining, &data) != Success)
        return {};
    property.data.reset(data);
    if (type == None) property.format = 0;
    return property;
}
} // namespace

std::optional<std::string> ScreenProbe::textProperty(XWindowId window, const char* name) {
    const Property property = readProperty(display_, window, name);
    if (property.format != 8) return std::nullopt;
    return std::string(reinterpret_cast<char*>(property.data.get()), property.count);
}

std::vector<long> ScreenProbe::numberProperty(XWindowId window, const char* name) {
    const Property property = readProperty(display_, window, name);
    if (property.format != 32) return {};
    const long* values = reinterpret_cast<const long*>(property.data.get()); // Xlib hands 32-bit data as longs
    return {values, values + property.count};
}

std::vector<std::string> ScreenProbe::atomListProperty(XWindowId window, const char* name) {
    std::vector<std::string> names;
    for (const long value : numberProperty(window, name)) {
        std::unique_ptr<char, XFreeDeleter> atomName(
            XGetAtomName(display_, static_cast<Atom>(value)));
        if (atomName) names.emplace_back(atomName.get());
    }
    return names;
}

void ScreenProbe::sendDeleteWindow(XWindowId window) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &message);
    XSync(display_, False);
}

void ScreenProbe::destroyWindow(XWindowId window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}
