#!/usr/bin/env bash
# Builds Tessera and prints its generations per second at 600 x 600 in three rule cases, with the
# figure of an independent engine measured in the same run as a yardstick: bgolly's Larger than
# Life algorithm, no display, on a random 600 x 600 torus with a radius-4 rule whose survive and
# birth ranges are the runs the busy Size 4 rule's texts spell out (58..73 and 12..38).
# Each case also shows the display floor measured just before it (a fresh frame converted and put
# with XShmPutImage + XSync by one thread, nothing else), the percentage of it reached, processor
# milliseconds per generation and, when strace is installed, system calls per generation.
# Usage: bench/e2e_speed.sh [milliseconds measured per case, default 3000] [program ...]
# Programs other than the one just built (say a build from before a change) are measured in turn
# with it, and so is the Windows build, run under Wine (wine:PATH.exe names such a program), with
# one more case whose standard output goes to a file; the step alone follows (bench/step_speed.sh),
# then the browser build in headless Chromium beside the page's floor and its step alone, with the
# native program's medians (bench/web_speed.mjs).
set -euo pipefail
cd "$(dirname "$0")/.."
# golly brings bgolly, the independent engine measured beside Tessera.
scripts/setup.sh golly
scripts/build.sh build

reference_generations=400
reference_rate() {
  if ! command -v bgolly >/dev/null; then
    echo "bgolly is not installed: no reference figure"
    return
  fi
  local pattern
  pattern=$(mktemp --suffix=.rle)
  awk 'BEGIN {
    srand(1)
    print "x = 600, y = 600, rule = R4,C0,M0,S58..73,B12..38,NM:T600,600"
    for (y = 0; y < 600; y++) {
      row = ""
      for (x = 0; x < 600; x++) row = row (rand() < 0.5 ? "o" : "b")
      print row (y < 599 ? "$" : "!")
    }
  }' >"$pattern"
  # With -b bgolly prints the elapsed seconds at every step of -i generations; loading the
  # pattern is left out by timing only the steps after the first.
  bgolly -a "Larger than Life" -m $reference_generations -i 100 -b "$pattern" |
    awk -v last=$reference_generations '
      $2 == 100 && NF == 2 { start = $1 }
      $2 == last && NF == 2 { end = $1 }
      END { printf "%-32s %-40s %8.0f generations/s\n", "reference Size 4 (bgolly LtL)", "no display", (last - 100) / (end - start) }'
  rm -f "$pattern"
}

programs=("$@")
milliseconds=3000
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  milliseconds=$1
  programs=("${@:2}")
fi
# The Windows build joins when it can be built and run here.
windows_build() {
  if [ ! -x /usr/lib/wine/wine64 ] || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "Wine or the Windows cross-compiler is not installed: no Windows figures" >&2
    return
  fi
  if ! scripts/build-windows.sh build-windows >/dev/null; then
    echo "the Windows build failed: no Windows figures" >&2
    return
  fi
  echo wine:build-windows/app/tessera.exe
}
windows_program=$(windows_build)

native=$(mktemp)
trap 'rm -f "$native"' EXIT
reference_rate
build/bench/tessera_e2e_speed "$milliseconds" build/app/tessera ${windows_program:+"$windows_program"} "${programs[@]}" |
    tee "$native"
# The step alone, natively on the widest and the 128-bit instruction sets and in WebAssembly under
# node, in turns (which builds the browser build's tree and its step bench); then in the browser,
# with the page's floor and hand-overs, beside the browser build's whole program.
bench/step_speed.sh
cmake --build build-web --target tessera_page_floor >/dev/null
node bench/web_speed.mjs build-web "$milliseconds" --native="$native"
reference_rate
