// The wake-up signal on POSIX systems: an event counter descriptor, which the window thread polls
// beside its window system's connection.
#include <sys/eventfd.h>
#include <unistd.h>

#include "graphics/platform_window.h"

WakeUpChannel::WakeUpChannel() : waitable_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeUpChannel::~WakeUpChannel() {
    if (usable()) close(static_cast<int>(waitable_));
}

bool WakeUpChannel::usable() const { return waitable_ >= 0; }

// The counter cannot overflow in practice.
bool WakeUpChannel::raise() {
    const std::uint64_t one = 1;
    return write(static_cast<int>(waitable_), &one, sizeof one) == sizeof one;
}

// One read takes the whole count and sets it to zero.
void WakeUpChannel::lower() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t taken = read(static_cast<int>(waitable_), &count, sizeof count);
}
