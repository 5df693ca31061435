#!/usr/bin/env bash
# Sets up, builds and runs every test: first the normal build, then the whole suite again under
# AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer, then the libFuzzer
# targets (clang) over their corpora and for a bounded time each, and last the Windows build
# (tessera.exe) with its tests under Wine, and the browser build with its engine's tests under node
# and the page's in headless Chromium. The tests that need an X display start their own Xvfb.
# Any sanitizer report fails the run.
#   TESSERA_BUILD_PREFIX  build directories are PREFIX, PREFIX-asan, PREFIX-tsan, PREFIX-fuzz,
#                         PREFIX-windows, PREFIX-web (build)
#   TESSERA_FUZZ_SECONDS  time for each fuzz target (20)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${TESSERA_BUILD_PREFIX:-build}
fuzz_seconds=${TESSERA_FUZZ_SECONDS:-20}
jobs=$(nproc)

reports=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$reports" "$scratch"' EXIT

step() { printf '\n=== %s (%ds)\n' "$1" "$SECONDS"; }

# A tree with no test programs fails the run instead of passing it.
run_ctest() {
    ctest --test-dir "$1" --output-on-failure --no-tests=error --timeout 600 --parallel "$jobs"
}

# Sanitizers write their reports to files, so a report from a child that the tests do not watch
# (an ignored exit status, a process killed on purpose) still fails the run.
check_reports() {
    if compgen -G "$reports/*" >/dev/null; then
        echo "sanitizer reports:" >&2
        cat "$reports"/* >&2
        exit 1
    fi
}

step "set-up"
scripts/setup.sh

# Every tree is configured with its tests on, whatever an earlier configuration (scripts/run.sh's
# among them) left in its cache, so the tests run are the ones built from this source.
step "normal build"
scripts/build.sh "$prefix" -DTESSERA_TESTS=ON -DTESSERA_BENCHMARKS=ON
run_ctest "$prefix"

sanitized=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSERA_TESTS=ON -DTESSERA_BENCHMARKS=OFF)

step "AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh "$prefix-asan" "${sanitized[@]}" -DTESSERA_SANITIZE=address,undefined
# The end-to-end tests start the program with faketime's library preloaded, which comes before
# the sanitizer's run-time in the link order; that is harmless for interception.
ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=1:log_path=$reports/asan" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan" \
    run_ctest "$prefix-asan"
check_reports

step "ThreadSanitizer"
scripts/build.sh "$prefix-tsan" "${sanitized[@]}" -DTESSERA_SANITIZE=thread
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp:log_path=$reports/tsan" \
    run_ctest "$prefix-tsan"
check_reports

step "fuzz build (clang)"
fuzz_targets=(fuzz_to_number fuzz_text_search fuzz_read_line fuzz_key_decoder)
CXX=clang++ cmake -S . -B "$prefix-fuzz" "${sanitized[@]}" -DTESSERA_SANITIZE=address,undefined \
    -DTESSERA_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$prefix-fuzz" --parallel "$jobs" --target "${fuzz_targets[@]}"
# Without the other test programs built, ctest runs the corpus replays only.
ctest --test-dir "$prefix-fuzz" --output-on-failure --no-tests=error --tests-regex '^fuzz_'

step "fuzzing, ${fuzz_seconds}s a target"
for target in "${fuzz_targets[@]}"; do
    # New inputs go to a scratch corpus; the seeds in the repository stay as they are. A finding
    # is kept as PREFIX-fuzz/findings-* and stops the run: add it to the seed corpus, where
    # the replay above keeps it as a regression test.
    mkdir "$scratch/$target"
    "$prefix-fuzz/tests/$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        -artifact_prefix="$prefix-fuzz/findings-" "$scratch/$target" "tests/fuzz/corpus/$target" \
        2>"$scratch/$target.log" || { cat "$scratch/$target.log" >&2; exit 1; }
    printf '%s: %s executions\n' "$target" "$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$target.log")"
done

step "Windows build and its tests under Wine"
scripts/test-windows.sh "$prefix" "$prefix-windows"

step "browser build and its tests under node and in headless Chromium"
scripts/test-web.sh "$prefix" "$prefix-web"

step "packages"
scripts/test-packages.sh "$prefix" "$prefix-windows" "$prefix-web"

step "all tests passed"
