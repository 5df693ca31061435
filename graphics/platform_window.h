#pragma once
#include <cstdint>
#include <memory>

#include "graphics/window_handle.h"
#include "text/text.h"

// Everything a platform supplies to the window service: the wake-up signal, from the system's
// folder (posix/, win32/), and the window, from the window system's (x11/, win32/). The
// service's window thread (window.cpp) does the rest for every platform: it enters the window
// into the registry, reports it to openWindow, serves the drawing threads' requests and takes
// the window out of the registry again.

class Canvas;

// What openWindow asks of a platform's window.
struct FrameSettings {
    Text caption;
    std::int32_t x, y, width, height;
    std::uint32_t style;
};

// The signal drawing threads raise and the window thread waits on beside its window system's
// events: an event counter descriptor on POSIX systems, an event object on Windows.
class WakeUpChannel {
public:
    WakeUpChannel();
    ~WakeUpChannel();
    WakeUpChannel(const WakeUpChannel&) = delete;
    WakeUpChannel& operator=(const WakeUpChannel&) = delete;

    // False when the channel could not be made.
    bool usable() const;
    // False when the signal could not be raised.
    bool raise();
    // Takes the raised signal down, so the next wait sleeps until it is raised again.
    void lower();
    // What the window thread waits on: the descriptor or the handle, as a number.
    std::intptr_t waitable() const { return waitable_; }

private:
    std::intptr_t waitable_;
};

// A frame with a canvas window inside that shows its canvas. Every operation runs on the window
// thread that opened it.
class PlatformWindow {
public:
    // A window of this platform, not open yet.
    static std::unique_ptr<PlatformWindow> make();
    // Where windows open, for the message when one could not: the display, as the user named it.
    static Text whereWindowsOpen();

    PlatformWindow() = default;
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;
    virtual ~PlatformWindow() = default;

    // The handles the registry knows the two windows by, and the canvas the window shows, once
    // it is open.
    virtual WindowHandle frame() const = 0;
    virtual WindowHandle canvasWindow() const = 0;
    virtual const std::shared_ptr<Canvas>& canvas() const = 0;

    // Makes the frame, its canvas window and the canvas, and shows them with the first exposure
    // painted; false when any of it could not be made.
    virtual bool open(const FrameSettings& settings) = 0;
    // Handles the window system's events until the canvas's wake-up channel is raised (true), or
    // until the user closes the window or the window system is lost (false).
    virtual bool waitForRequests() = 0;
    // Copies the whole canvas into the canvas window.
    virtual void putImage() = 0;
    // Brings the frame to the foreground.
    virtual void activate() = 0;
    // Returns once the window system has carried out everything asked of it so far.
    virtual void sync() = 0;
    // Releases the window and everything it holds in the window system; nothing is called after.
    virtual void close() = 0;
};
