#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <string>

#include "console/posix/console_state.h"
#include "console/console.h"
#include "console/key_decoder.h"

namespace {

// pollKey runs once per generation; with no key typed it must cost next to nothing.
void pollKeyWithNoKeyTyped(benchmark::State& state) {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    termios modes;
    tcgetattr(slave, &modes);
    cfmakeraw(&modes);
    tcsetattr(slave, TCSANOW, &modes);
    fcntl(slave, F_SETFL, fcntl(slave, F_GETFL) | O_NONBLOCK);
    consoleState() = ConsoleState{};
    consoleState().keyboardHandle = slave;

    std::size_t keys = 0;
    for (auto _ : state) keys += pollKey().isNone() ? 0 : 1;
    state.counters["keys"] = static_cast<double>(keys);

    consoleState() = ConsoleState{};
    close(slave);
    close(master);
}
BENCHMARK(pollKeyWithNoKeyTyped);

void decodeTypedKeys(benchmark::State& state) {
    const std::string typed = "abc\x1b[A\x1b[1;5C\x1bOP\x1b[15~\x1bxq \r";
    const std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(typed.data()), typed.size());
    for (auto _ : state) {
        std::span<const unsigned char> rest = bytes;
        while (!rest.empty()) {
            const DecodedKey decoded = decodeKey(rest, true);
            benchmark::DoNotOptimize(decoded.key);
            rest = rest.subspan(decoded.consumed);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * typed.size()));
}
BENCHMARK(decodeTypedKeys);

} // namespace
