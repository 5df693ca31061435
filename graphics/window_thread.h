#pragma once
#include <cstdint>
#include <exception>
#include <future>
#include <new>
#include <thread>

#include "graphics/window.h"
#include "text/text.h"

// What openWindow asks of a platform's window.
struct FrameSettings {
    Text caption;
    std::int32_t x, y, width, height;
    std::uint32_t style;
};

// The window thread of every platform: makes the window, reports its handle (0 when it could not
// be made), runs it until the user closes it, then takes it out of the registry. `Window` has
// create, enterIntoRegistry, frameHandle, run and leaveRegistry, and a `finish` that releases its
// system resources before the records go.
template <class Window>
void runWindowThread(FrameSettings settings, std::promise<WindowHandle> report) {
    Window window;
    bool made = false;
    try {
        made = window.create(settings) && window.enterIntoRegistry();
    } catch (const std::bad_alloc&) {
    }
    if (!made) {
        report.set_value(0);
        return;
    }
    report.set_value(window.frameHandle());
    window.run();
    window.finish();
    window.leaveRegistry();
}

// Starts the window thread and waits for its report.
template <class Window>
WindowHandle openWindowOnThread(FrameSettings settings) {
    std::promise<WindowHandle> report;
    std::future<WindowHandle> handle = report.get_future();
    try {
        std::thread(runWindowThread<Window>, std::move(settings), std::move(report)).detach();
    } catch (const std::exception&) { // no thread or no memory for its settings
        return 0;
    }
    return handle.get();
}
