#!/usr/bin/env bash
# Builds Tessera and prints its generations per second at 600 x 600 in three rule cases.
# Usage: bench/e2e_speed.sh [milliseconds measured per case, default 3000]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
build/bench/tessera_e2e_speed "$@"
