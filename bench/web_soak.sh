#!/usr/bin/env bash
# A soak of the browser build in headless Chromium: 600 x 600, random keys (digits, s, n with a
# rule, r, x), the page's JavaScript heap, the wasm memory and the browser's resident memory
# sampled as it runs and required flat (the random-keys case of tests/web/page_test.mjs, which
# scripts/test-web.sh runs for a minute). Not part of scripts/test.sh.
# Usage: bench/web_soak.sh [seconds, default 300]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build-web.sh build-web >/dev/null
TESSERA_WEB_SITE=$PWD/build-web/site TESSERA_WEB_SOAK_SECONDS=${1:-300} \
    node --test --test-name-pattern='random keys' tests/web/page_test.mjs
