#!/usr/bin/env bash
# Builds Tessera for the browser with the system's emscripten into one build tree, and puts the
# page beside the program: scripts/build-web.sh DIR [cmake options...]
# DIR/site then holds everything the page needs (web/serve.py serves it).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
scripts/fetch-highway.sh "$dir/_deps"
# The terminal widget, pinned by web/'s lockfile; the build takes its licence for the notices.
if [ ! -f web/node_modules/@xterm/xterm/lib/xterm.js ]; then
    (cd web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null)
fi
emcmake cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTESSERA_HWY_SOURCE_DIR="$PWD/$dir/_deps/highway" \
    -DTESSERA_TESTS=OFF -DTESSERA_BENCHMARKS=ON "$@" 2>&1 >/dev/null | { grep -v "^configure:" >&2 || true; }
cmake --build "$dir" --parallel "$(nproc)"

# The page: the program's files, the page's own, the terminal widget and the texts beside them.
rm -rf "$dir/site"
cmake --install "$dir" --prefix "$PWD/$dir/site" >/dev/null
