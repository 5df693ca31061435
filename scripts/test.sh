#!/usr/bin/env bash
# Sets up, builds and runs every test. The tests that need an X display start their own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 600
