#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of the current test run:
#   scripts/wine-run.sh PROGRAM.exe [arguments...]
# The prefix is WINEPREFIX when set, else wine-prefix beside the program's build tree's root
# (prepared by scripts/wine-prefix.sh).
set -euo pipefail
wine_dir=/usr/lib/wine
program=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
    dir=$(dirname "$(realpath "$program")")
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    export WINEPREFIX=$dir/wine-prefix
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec "$wine_dir/wine64" "$program" "$@"
