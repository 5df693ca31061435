#pragma once
// A ring of bytes on their way between the page and the program, in the memory the page and the
// program's threads share: one for the keys typed into the page's terminal widget, one for what
// the program writes to it. The page's side is byte_rings.js; the program's is web_console.cpp.
#include <atomic>
#include <cstddef>
#include <cstdint>

struct ByteRing {
    // Bytes put in and taken out since the start; both wrap, their difference is what waits.
    std::atomic<std::uint32_t> written{0};
    std::atomic<std::uint32_t> taken{0};
    // The program's threads asleep on the ring with no time limit. For the typed keys, the page
    // can so tell a program that waits for a key from one that is busy and polls for one.
    std::atomic<std::uint32_t> sleepers{0};
    std::uint32_t capacity = sizeof bytes;
    unsigned char bytes[64 * 1024] = {};
};
static_assert(sizeof(std::atomic<std::uint32_t>) == 4, "the page counts in 32-bit words");
static_assert(offsetof(ByteRing, bytes) == 16, "the page finds the ring after four words");
// The counts' wrap-around at 2^32 then keeps every byte's place in the ring.
static_assert((std::uint64_t(1) << 32) % sizeof ByteRing::bytes == 0);
