#!/usr/bin/env bash
# A soak of the real program: 600 x 600, Size 4, random keys and window covering, first in the
# normal build for its resident memory, then under AddressSanitizer and UndefinedBehaviorSanitizer
# for reports. Not part of scripts/test.sh.
# Usage: bench/soak.sh [seconds per run, default 120]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
prefix=${TESSERA_BUILD_PREFIX:-build}
scripts/setup.sh

cmake -S . -B "$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$prefix" --parallel "$(nproc)" --target tessera_soak
echo "== normal build"
"$prefix/bench/tessera_soak" "$seconds"

# A tree of its own: the one scripts/test.sh makes is built without the benchmarks.
cmake -S . -B "$prefix-soak-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSERA_SANITIZE=address,undefined >/dev/null
cmake --build "$prefix-soak-asan" --parallel "$(nproc)" --target tessera_soak
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
echo "== AddressSanitizer and UndefinedBehaviorSanitizer (memory figures include the sanitizer's own)"
ASAN_OPTIONS="log_path=$reports/asan" UBSAN_OPTIONS="halt_on_error=1:log_path=$reports/ubsan" \
    "$prefix-soak-asan/bench/tessera_soak" "$seconds"
if compgen -G "$reports/*" >/dev/null; then
    cat "$reports"/* >&2
    exit 1
fi
echo "no sanitizer report"
