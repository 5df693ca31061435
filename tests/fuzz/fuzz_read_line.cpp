// The redirected readLine fed arbitrary bytes through a pipe, in arbitrary chunks that arrive one
// at a time, as a slow writer would send them. The lines returned must be the data split at line
// feeds, carriage returns dropped, long lines cut at 16384 bytes, up to the first byte 26 or the
// end; after that every call gives the one-byte text 26.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "console/console_state.h"
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
        const auto length = input.ConsumeIntegralInRange<std::size_t>(1, sizeof ConsoleState::readAhead);
        chunks.pieces.push_back(input.ConsumeBytesAsString(length));
        chunks.whole += chunks.pieces.back();
    }
    return chunks;
}

// Writes the chunks one at a time, each once the reader has taken everything before it.
void writeChunks(int writeEnd, int readEnd, const std::vector<Text>& pieces, const std::atomic<bool>& readerDone) {
    for (const Text& piece : pieces) {
        for (int waiting = 1; waiting > 0 && !readerDone; std::this_thread::yield()) ioctl(readEnd, FIONREAD, &waiting);
        if (readerDone) break;
        require(write(writeEnd, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size()), "chunk written");
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
        if (line == Text(1, endMark) && consoleState().inputEnded) return lines;
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Chunks chunks = cutIntoChunks(input);

    int ends[2];
    require(pipe(ends) == 0, "pipe");
    ConsoleState& state = consoleState();
    state = ConsoleState{};
    state.inputHandle = ends[0];
    std::atomic<bool> readerDone{false};
    std::thread writer(writeChunks, ends[1], ends[0], std::cref(chunks.pieces), std::cref(readerDone));

    const std::vector<Text> expected = expectedLines(chunks.whole);
    const std::vector<Text> got = readUntilEnd(expected.size());
    require(readLine() == Text(1, endMark), "the end stays the end");
    readerDone = true;
    writer.join();
    close(ends[0]);

    checkLines(got, expected);
    return 0;
}
