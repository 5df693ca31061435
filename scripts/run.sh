#!/usr/bin/env bash
# Sets up, builds and runs Tessera (it needs an X display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DTESSERA_TESTS=OFF -DTESSERA_BENCHMARKS=OFF
exec build/app/tessera
