#!/usr/bin/env bash
# The browser build's tests: its engine's under node, then the page's in headless Chromium:
# scripts/test-web.sh BUILD WEB_BUILD
# BUILD is a native build tree with tests (for the engine's expected frames); WEB_BUILD is built
# here with scripts/build-web.sh, with its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
web_build=$2
scripts/build-web.sh "$web_build" -DTESSERA_TESTS=ON >/dev/null
ctest --test-dir "$web_build" --output-on-failure --no-tests=error
cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target expected_frames >/dev/null
export TESSERA_WEB_SITE=$PWD/$web_build/site
export TESSERA_EXPECTED_FRAMES=$PWD/$build/tests/expected_frames
# A minute of random keys here; bench/web_soak.sh runs them for longer.
export TESSERA_WEB_SOAK_SECONDS=${TESSERA_WEB_SOAK_SECONDS:-60}
# One test at a time: each page runs as many threads as the machine has processors.
node --test --test-concurrency=1 tests/web/program_test.mjs tests/web/page_test.mjs
