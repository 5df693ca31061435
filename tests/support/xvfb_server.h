#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using XWindowId = unsigned long;

// A private Xvfb server (1280 x 1024, 24 bits, MIT-SHM, no TCP) for the life of the object, on a
// display number the server picks itself so parallel test runs do not collide. DISPLAY names it
// while it runs.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return pid_ > 0 && display_ >= 0; }
    // ":N"
    std::string displayName() const;
    // Ends the server now (the destructor would); connections to it break.
    void stop();

private:
    pid_t pid_ = -1;
    int display_ = -1;
};

// A client connection of the test's own for inspecting what the server shows.
class ScreenProbe {
public:
    // Connects to DISPLAY.
    ScreenProbe();
    ~ScreenProbe();
    ScreenProbe(const ScreenProbe&) = delete;
    ScreenProbe& operator=(const ScreenProbe&) = delete;

    bool connected() const { return display_ != nullptr; }
    XWindowId rootWindow() const;

    // Colours as red | green << 8 | blue << 16, row by row.
    std::vector<std::uint32_t> readPixels(XWindowId window, int x, int y, int width, int height);
    std::uint32_t pixel(XWindowId window, int x, int y);

    struct Geometry {
        int rootX, rootY, width, height;
    };
    std::optional<Geometry> geometry(XWindowId window);
    // The first child window (top-level windows are the root's children when no window manager
    // runs), or 0.
    XWindowId firstChild(XWindowId window);
    // A top-level window whose WM_NAME is name, or 0.
    XWindowId findTopLevel(const std::string& name);
    // The same, waiting up to the timeout for the window to appear; 0 when it does not.
    XWindowId waitForTopLevel(const std::string& name, std::chrono::milliseconds timeout);

    // Bytes of a property; nullopt when it is not set.
    std::optional<std::string> textProperty(XWindowId window, const char* name);
    std::vector<long> numberProperty(XWindowId window, const char* name);
    // The atom names a list property (such as WM_PROTOCOLS) holds.
    std::vector<std::string> atomListProperty(XWindowId window, const char* name);

    // What a window manager sends when the user closes the window.
    void sendDeleteWindow(XWindowId window);
    // Destroys another client's window, as any client may.
    void destroyWindow(XWindowId window);

private:
    struct _XDisplay* display_ = nullptr;
};
