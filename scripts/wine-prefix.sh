#!/usr/bin/env bash
# Prepares a fresh Wine prefix for one test run: scripts/wine-prefix.sh PREFIX
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
