// The console in the browser: the page's terminal widget (Module.tesseraTerminal, the page's) is
// standard input, output and error at once. What the program writes goes to the widget through
// one ring of byte_ring.h, in the order written, without waiting for the page's thread; what the
// widget reports typed comes through the other. No input is ever redirected.
#include "console/platform_console.h"

#include <emscripten/emscripten.h>
#include <emscripten/threading.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "console/terminal_keys.h"
#include "console/terminal_text.h"
#include "console/web/byte_ring.h"

namespace {

ByteRing typedRing;
ByteRing writtenRing;

// The keys the page put into the typed ring.
class PageKeyboard final : public TerminalKeyboard {
public:
    std::size_t read(std::span<unsigned char> room) override {
        const std::uint32_t taken = typedRing.taken.load(std::memory_order_relaxed);
        const std::uint32_t waiting = typedRing.written.load(std::memory_order_acquire) - taken;
        const std::size_t count = std::min<std::size_t>(waiting, room.size());
        for (std::size_t i = 0; i < count; ++i) room[i] = typedRing.bytes[(taken + i) % typedRing.capacity];
        typedRing.taken.store(taken + std::uint32_t(count), std::memory_order_release);
        return count;
    }

    bool bytesWaiting() override {
        return typedRing.written.load(std::memory_order_acquire) != typedRing.taken.load(std::memory_order_relaxed);
    }

    bool awaitBytes(KeyClock::time_point deadline) override {
        const bool forEver = deadline == noDeadline;
        for (;;) {
            const std::uint32_t written = typedRing.written.load(std::memory_order_acquire);
            if (written != typedRing.taken.load(std::memory_order_relaxed)) return true;
            double left = INFINITY;
            if (!forEver) {
                left = std::chrono::duration<double, std::milli>(deadline - KeyClock::now()).count();
                if (left <= 0) return false;
            }
            if (forEver) typedRing.sleepers.fetch_add(1);
            emscripten_futex_wait(&typedRing.written, written, left);
            if (forEver) typedRing.sleepers.fetch_sub(1);
        }
    }
};

PageKeyboard keyboard;
TerminalKeys typedKeys{keyboard};
// Whether the widget's cursor stands at column 1, as far as the program's own writes tell.
bool screenAtLineStart = true;

// Puts the bytes into the written ring, waiting for the page to make room where they do not fit.
void send(const char* bytes, std::size_t count) {
    std::uint32_t end = writtenRing.written.load(std::memory_order_relaxed);
    while (count > 0) {
        const std::uint32_t taken = writtenRing.taken.load(std::memory_order_acquire);
        const std::size_t room = writtenRing.capacity - (end - taken);
        if (room == 0) {
            emscripten_futex_wait(&writtenRing.taken, taken, INFINITY);
            continue;
        }
        const std::size_t part = std::min(room, count);
        for (std::size_t i = 0; i < part; ++i) writtenRing.bytes[(end + i) % writtenRing.capacity] = bytes[i];
        end += std::uint32_t(part);
        writtenRing.written.store(end, std::memory_order_release);
        emscripten_futex_wake(&writtenRing.written, 1);
        bytes += part;
        count -= part;
    }
}

void show(const char* bytes, std::size_t count) {
    screenAtLineStart = leavesCursorAtLineStart(bytes, count, screenAtLineStart);
    send(bytes, count);
}

} // namespace

// Where the page puts what is typed, and takes what is written.
extern "C" EMSCRIPTEN_KEEPALIVE ByteRing* tesseraTypedRing() { return &typedRing; }
extern "C" EMSCRIPTEN_KEEPALIVE ByteRing* tesseraWrittenRing() { return &writtenRing; }

extern "C" EMSCRIPTEN_KEEPALIVE std::uint32_t tesseraKeyWaiters() { return typedRing.sleepers.load(); }

namespace consolePlatform {

void open() {}

void close() {}

bool linesFromKeyboard() { return true; }

RunError writeOutput(const char* bytes, std::size_t count) {
    show(bytes, count);
    return RunError::none;
}

void writeErrorOutput(const char* bytes, std::size_t count) { show(bytes, count); }

void echo(const char* bytes, std::size_t count) { show(bytes, count); }

// The widget takes its bytes raw: each "\n" becomes the line end that returns the cursor too.
bool writeStandardText(StandardStream, std::string_view text) {
    std::string bytes;
    for (const char byte : text) bytes += byte == '\n' ? std::string_view("\r\n") : std::string_view(&byte, 1);
    show(bytes.data(), bytes.size());
    return true;
}

void locate(std::int32_t row, std::int32_t column) {
    ScreenSize size;
    if (needsScreenSize(row, column)) {
        size.rows = MAIN_THREAD_EM_ASM_INT({ return Module.tesseraTerminal.rows(); });
        size.columns = MAIN_THREAD_EM_ASM_INT({ return Module.tesseraTerminal.columns(); });
    }
    const CursorMove move = cursorMove(row, column, size);
    if (move.length > 0) send(move.sequence, move.length);
    if (move.columnGiven) screenAtLineStart = column == 1;
}

std::string_view lineStartPrefix() { return toLineStart; }

void startFreshLine() {
    if (!screenAtLineStart) show("\r\n", 2);
}

unsigned char readTyped() { return typedKeys.takeCharacter(); }

bool typedWaiting() { return typedKeys.characterWaiting(); }

Key takeKey(bool waitForIt) { return typedKeys.takeKey(waitForIt); }

std::size_t readRedirected(unsigned char*, std::size_t) { return 0; }

bool redirectedWaiting() { return true; }

} // namespace consolePlatform
