#!/usr/bin/env bash
# Builds tessera.exe and runs the Windows tests under Wine, on a private X server and in a fresh
# Wine prefix made for this run: the portable unit tests cross-compiled, then the whole program.
#   scripts/test-windows.sh LINUX_BUILD WINDOWS_BUILD
# LINUX_BUILD must already hold the built wine_program_tests (scripts/build.sh builds it).
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=$1
windows_build=$2
wine_dir=/usr/lib/wine

scripts/build-windows.sh "$windows_build" -DTESSERA_TESTS=ON

scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && "$wine_dir/wineserver64" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number when it is ready for clients.
# -noreset: a server that resets when its last client leaves refuses connections meanwhile.
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number <"$scratch/display"
export DISPLAY=":$display_number"

export WINEPREFIX="$PWD/$windows_build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
scripts/wine-prefix.sh "$WINEPREFIX"

ctest --test-dir "$windows_build" --output-on-failure --no-tests=error --timeout 600 --parallel "$(nproc)"
TESSERA_WINDOWS_PROGRAM="$PWD/$windows_build/app/tessera.exe" "$linux_build/tests/wine_program_tests"
