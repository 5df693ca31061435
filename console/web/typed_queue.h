#pragma once
// The keys typed into the page's terminal widget, on their way to the program: a ring of bytes in
// the memory the page and the program's threads share. The page puts bytes in and wakes the
// program (typed_queue.js); the program takes them out (web_console.cpp).
#include <atomic>
#include <cstddef>
#include <cstdint>

struct TypedQueue {
    // Bytes put in and taken out since the start; both wrap, their difference is what waits.
    std::atomic<std::uint32_t> written{0};
    std::atomic<std::uint32_t> taken{0};
    // Threads asleep until a key comes, with no time limit: the page can tell a program that
    // waits for a key from one that is busy and polls for one.
    std::atomic<std::uint32_t> keyWaiters{0};
    std::uint32_t capacity = sizeof bytes;
    unsigned char bytes[64 * 1024] = {};
};
static_assert(sizeof(std::atomic<std::uint32_t>) == 4, "the page counts in 32-bit words");
static_assert(offsetof(TypedQueue, bytes) == 16, "the page finds the ring after four words");
// The counts' wrap-around at 2^32 then keeps every byte's place in the ring.
static_assert((std::uint64_t(1) << 32) % sizeof TypedQueue::bytes == 0);
