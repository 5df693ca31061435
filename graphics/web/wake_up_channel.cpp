#include "graphics/web/wake_up_channel.h"

#include <emscripten/threading.h>

#include <atomic>
#include <cmath>
#include <new>

namespace {
constexpr std::uint32_t raised = 1;

std::atomic<std::uint32_t>& word(std::intptr_t waitable) {
    return *reinterpret_cast<std::atomic<std::uint32_t>*>(waitable);
}
} // namespace

WakeUpChannel::WakeUpChannel()
    : waitable_(reinterpret_cast<std::intptr_t>(new (std::nothrow) std::atomic<std::uint32_t>(0))) {}

WakeUpChannel::~WakeUpChannel() { delete &word(waitable_); }

bool WakeUpChannel::usable() const { return waitable_ != 0; }

bool WakeUpChannel::raise() {
    word(waitable_).store(raised);
    emscripten_futex_wake(&word(waitable_), INT32_MAX);
    return true;
}

void WakeUpChannel::lower() { word(waitable_).store(0); }

void sleepUntilRaised(const WakeUpChannel& channel) {
    std::atomic<std::uint32_t>& signal = word(channel.waitable());
    while (signal.load() != raised) emscripten_futex_wait(&signal, 0, INFINITY);
}
