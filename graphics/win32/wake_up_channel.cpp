// The wake-up signal on Windows: an auto-reset event object, which the window thread waits on
// beside its message queue.
#include <windows.h>

#include "graphics/platform_window.h"

WakeUpChannel::WakeUpChannel()
    : waitable_(reinterpret_cast<std::intptr_t>(CreateEventA(nullptr, FALSE, FALSE, nullptr))) {}

WakeUpChannel::~WakeUpChannel() {
    if (usable()) CloseHandle(reinterpret_cast<HANDLE>(waitable_));
}

bool WakeUpChannel::usable() const { return waitable_ != 0; }

bool WakeUpChannel::raise() { return SetEvent(reinterpret_cast<HANDLE>(waitable_)) != 0; }

// An auto-reset event is lowered by the wait that saw it raised.
void WakeUpChannel::lower() {}
