// The wake-up signal in the browser: a word of shared memory the window thread sleeps on. Its low
// bit is the drawing threads' signal; the page sets the next bit when the user closes the window
// (web_window.cpp), which wakes the same sleep.
#include <emscripten/threading.h>

#include <atomic>
#include <cmath>
#include <new>

#include "graphics/platform_window.h"

namespace {
constexpr std::uint32_t raisedBit = 1;

std::atomic<std::uint32_t>& word(std::intptr_t waitable) {
    return *reinterpret_cast<std::atomic<std::uint32_t>*>(waitable);
}
} // namespace

WakeUpChannel::WakeUpChannel()
    : waitable_(reinterpret_cast<std::intptr_t>(new (std::nothrow) std::atomic<std::uint32_t>(0))) {}

WakeUpChannel::~WakeUpChannel() { delete reinterpret_cast<std::atomic<std::uint32_t>*>(waitable_); }

bool WakeUpChannel::usable() const { return waitable_ != 0; }

bool WakeUpChannel::raise() {
    word(waitable_).fetch_or(raisedBit);
    emscripten_futex_wake(&word(waitable_), INT32_MAX);
    return true;
}

void WakeUpChannel::lower() { word(waitable_).fetch_and(~raisedBit); }
