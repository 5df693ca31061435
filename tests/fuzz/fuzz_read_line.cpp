// The redirected readLine fed arbitrary bytes through a pipe, in arbitrary chunks that arrive one
// at a time, as a slow writer would send them. The lines returned must be the data split at line
// feeds, carriage returns dropped, long lines cut at 16384 bytes, up to the first byte 26 or the
// end; after that every call gives the one-byte text 26.
#include <fuzzer/FuzzedDataProvider.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "console/line_input.h"
#include "console/posix/console_state.h"
#include "console/console.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::size_t longestLine = 16384;
constexpr char endMark = 26;

struct Chunks {
    std::vector<Text> pieces;
    Text whole;
};

// Each chunk is at most the size of the read-ahead, so one read never takes two chunks.
Chunks cutIntoChunks(FuzzedDataProvider& input) {
    Chunks chunks;
    while (input.remaining_bytes() > 0) {
        const auto length = input.ConsumeIntegralInRange<std::size_t>(1, sizeof LineInputState::readAhead);
        chunks.pieces.push_back(input.ConsumeBytesAsString(length));
        chunks.whole += chunks.pieces.back();
    }
    return chunks;
}

// A pipe of a single page-sized buffer: it reports room for writing only once the reader has
// taken everything in it, which lets the writer wait for that without spinning.
void makeSingleBufferPipe(int ends[2]) {
    require(pipe(ends) == 0, "pipe");
    require(fcntl(ends[1], F_SETPIPE_SZ, getpagesize()) > 0, "pipe size");
}

// Writes the chunks one at a time, each once the reader has taken everything before it. A reader
// that stopped at an end mark closes its end, which ends the writing.
void writeChunks(int writeEnd, const std::vector<Text>& pieces) {
    for (const Text& piece : pieces) {
        pollfd room{writeEnd, POLLOUT, 0};
        require(poll(&room, 1, -1) == 1, "room to write");
        if ((room.revents & POLLOUT) == 0) break;
        const ssize_t written = write(writeEnd, piece.data(), piece.size());
        if (written < 0 && errno == EPIPE) break;
        require(written == static_cast<ssize_t>(piece.size()), "chunk written");
    }
    close(writeEnd);
}

// The lines the data holds. The last one may legitimately go unreported when it is empty: the
// end is found by the read-ahead after the line before it or by the next read, as the chunks fall.
std::vector<Text> expectedLines(const Text& data) {
    std::vector<Text> lines(1);
    for (const char c : data) {
        if (c == endMark) break;
        if (c == '\r') continue;
        if (c == '\n') {
            lines.emplace_back();
            continue;
        }
        lines.back() += c;
        if (lines.back().size() == longestLine) lines.emplace_back();
    }
    return lines;
}

std::vector<Text> readUntilEnd(std::size_t limit) {
    std::vector<Text> lines;
    for (;;) {
        Text line = readLine();
        if (line == Text(1, endMark) && lineInputState().inputEnded) return lines;
        lines.push_back(std::move(line));
        require(lines.size() <= limit, "readLine reaches the end of the data");
    }
}

void checkLines(const std::vector<Text>& got, const std::vector<Text>& expected) {
    const bool lastOmitted = got.size() + 1 == expected.size() && expected.back().empty();
    require(got.size() == expected.size() || lastOmitted, "number of lines");
    for (std::size_t i = 0; i < got.size(); ++i) require(got[i] == expected[i], "line contents");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    signal(SIGPIPE, SIG_IGN); // a write after the reader has closed fails instead
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Chunks chunks = cutIntoChunks(input);

    int ends[2];
    makeSingleBufferPipe(ends);
    ConsoleState& state = consoleState();
    state = ConsoleState{};
    lineInputState() = LineInputState{};
    state.inputHandle = ends[0];
    std::thread writer(writeChunks, ends[1], std::cref(chunks.pieces));

    const std::vector<Text> expected = expectedLines(chunks.whole);
    const std::vector<Text> got = readUntilEnd(expected.size());
    require(readLine() == Text(1, endMark), "the end stays the end");
    close(ends[0]);
    writer.join();

    checkLines(got, expected);
    return 0;
}
