#pragma once
#include <cstdint>

// A window as the service names it to its callers and in its registry; 0 means no window.
using WindowHandle = std::uint64_t;
