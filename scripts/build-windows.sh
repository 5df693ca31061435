#!/usr/bin/env bash
# Cross-compiles tessera.exe (and, unless told otherwise, the tests that run under Wine) into one
# build tree: scripts/build-windows.sh DIR [cmake options...]
# DIR may be absolute or relative to the repository. Highway's source, which the Windows build
# compiles, is fetched once into DIR/_deps.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
deps=$dir/_deps
scripts/fetch-highway.sh "$deps"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DTESSERA_HWY_SOURCE_DIR="$(realpath "$deps/highway")" -DTESSERA_BENCHMARKS=OFF "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
