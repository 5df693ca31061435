#pragma once
#include <atomic>
#include <cstdint>
#include <forward_list>
#include <memory>

#include "graphics/canvas.h"
#include "graphics/window_handle.h"
#include "runtime/system_call.h"

// Changes with every insertion into and removal from the registry, so a thread's cached
// resolution of its attached canvas is known to be current when the count still matches.
// Starts at 1: a cache stamped 0 is never current.
inline std::atomic<std::uint64_t> windowRegistryGeneration{1};

struct WindowRecord {
    enum Flag : std::uint32_t { frameWindow = 1, childControl = 2 };

    WindowHandle handle = 0;
    WindowHandle parent = 0; // a canvas's frame; 0 for a frame
    std::uint32_t flags = 0;
    std::int32_t controlNumber = 0;
    std::shared_ptr<Canvas> canvas; // set for a canvas only
};

// Every window the service made and has not destroyed, newest first, under one spin lock that
// is never held across a call into the platform or the allocator.
class WindowRegistry {
public:
    void insert(WindowRecord record);
    // Enters a frame with its canvas as child control 0; false, with neither entered, when
    // memory for the records ran out.
    bool insertFrameWithCanvas(WindowHandle frame, WindowHandle canvasWindow, std::shared_ptr<Canvas> canvas);
    // Removes the frame and its child controls.
    void removeFrame(WindowHandle frame);

    struct FoundCanvas {
        WindowHandle handle = 0;
        std::shared_ptr<Canvas> canvas;
    };
    // The canvas named by handle, or none.
    FoundCanvas canvas(WindowHandle handle);
    // The child control numbered controlNumber inside window, or else window itself, when that
    // record is a canvas.
    FoundCanvas controlCanvas(WindowHandle window, std::int32_t controlNumber);
    // A canvas's redraw mode changed: cached resolutions must be made again.
    void modeChanged() { changed(); }

private:
    const WindowRecord* find(WindowHandle handle) const;
    void changed() { windowRegistryGeneration.fetch_add(1, std::memory_order_release); }

    SpinLock lock_;
    std::forward_list<WindowRecord> records_;
};

WindowRegistry& windowRegistry();
