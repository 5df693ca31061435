#!/usr/bin/env bash
# The program's step alone at 600 x 600 (tessera_step_speed), natively on the widest and on the
# 128-bit instruction set and in the browser build's WebAssembly under node, in turns, a few rounds,
# so that a busy machine slows them alike; then the medians, the WebAssembly step over the native
# 128-bit one and Life over the busy Size 4 rule, each on one thread.
# Usage: bench/step_speed.sh [rounds, default 3] [steps per run, default 25]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
steps=${2:-25}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSERA_BENCHMARKS=ON >/dev/null
cmake --build build --target tessera_step_speed --parallel "$(nproc)" >/dev/null
scripts/build-web.sh build-web >/dev/null
cmake --build build-web --target tessera_step_speed --parallel "$(nproc)" >/dev/null

figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
for ((round = 1; round <= rounds; ++round)); do
    build/bench/tessera_step_speed "$steps" | sed 's/^/native  /' | tee -a "$figures"
    # emscripten's loader fetches its module when fetch exists, which node's cannot do from a file.
    # The step is measured as the optimising compiler makes it, which a page's long run reaches by
    # itself but a busy machine's background compiler can leave past the warm-up.
    node --no-experimental-fetch --no-liftoff build-web/bench/tessera_step_speed.js "$steps" |
        sed 's/^/wasm    /' | tee -a "$figures"
done

awk -v rounds="$rounds" '
    function median(key,   n, values, i, j, t) {
        n = split(samples[key], values, " ")
        for (i = 2; i <= n; ++i)
            for (j = i; j > 1 && values[j - 1] + 0 > values[j] + 0; --j) { t = values[j]; values[j] = values[j - 1]; values[j - 1] = t }
        return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
    }
    BEGIN { FS = "  +" }
    {
        # program, case, measurement, "N ms per step"
        key = $2 SUBSEP $1 " " $3
        if (!(key in samples)) order[++count] = key
        if (!($2 in seen)) { seen[$2] = 1; cases[++caseCount] = $2 }
        samples[key] = samples[key] " " ($4 + 0)
        if ($1 == "wasm" && $3 ~ /1 thread/) wasmOne[$2] = key
        if ($1 == "native" && $3 ~ /128-bit.*1 thread/) nativeOne[$2] = key
    }
    END {
        printf "\nmedians of %d rounds\n", rounds
        for (k = 1; k <= count; ++k) {
            split(order[k], parts, SUBSEP)
            printf "%-32s %-48s %8.3f ms per step\n", parts[1], parts[2], median(order[k])
        }
        for (c = 1; c <= caseCount; ++c) if ((name = cases[c]) in wasmOne && name in nativeOne)
            printf "%-32s %-48s %8.2f\n", name, "wasm / native 128-bit, 1 thread", median(wasmOne[name]) / median(nativeOne[name])
        life = "black/white 1/23/3"; busy = "black/white Size 4 busy rule"
        if ((life in wasmOne) && (busy in wasmOne))
            printf "%-32s %-48s %8.2f\n", "Life / Size 4 busy, black/white", "wasm, 1 thread", median(wasmOne[life]) / median(wasmOne[busy])
        if ((life in nativeOne) && (busy in nativeOne))
            printf "%-32s %-48s %8.2f\n", "Life / Size 4 busy, black/white", "native 128-bit, 1 thread", median(nativeOne[life]) / median(nativeOne[busy])
    }' "$figures"
