#!/usr/bin/env bash
# Prepares a fresh Wine prefix for one run and starts its session: scripts/wine-prefix.sh PREFIX
# End the session with `wineserver64 -k` in the same prefix.
# Needs DISPLAY: the first Wine process of a server session fixes the display for all of them.
# Without the installers' dialogues (mscoree, mshtml) and without Wine's own window frames, whose
# absence keeps a window's destruction from waiting on a window manager that is not there.
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_dir=/usr/lib/wine
rm -rf "$WINEPREFIX"
"$wine_dir/wine64" wineboot -i >/dev/null 2>&1
"$wine_dir/wineserver64" -w
"$wine_dir/wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$wine_dir/wineserver64" -w
# One server for the whole run: each program then starts in a fraction of a second. Its output
# goes nowhere, so it never holds a caller's pipes open.
"$wine_dir/wineserver64" -p </dev/null >/dev/null 2>&1
# Wine's background services start with the first program of a session and inherit its output:
# started here, they never hold a caller's output pipe open after the caller's program has ended.
"$wine_dir/wine64" wineboot </dev/null >/dev/null 2>&1
