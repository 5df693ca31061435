#!/usr/bin/env bash
# Fetches Highway's source from its Debian source package once into DIR/highway, for the builds
# that compile it (Windows, the browser): scripts/fetch-highway.sh DIR
set -euo pipefail
deps=$1
if [ ! -f "$deps/highway/hwy/targets.cc" ]; then
    rm -rf "$deps"
    mkdir -p "$deps"
    (cd "$deps" && apt-get source --download-only highway >/dev/null 2>&1)
    mkdir "$deps/highway"
    tar -xzf "$deps"/highway_*.orig.tar.gz -C "$deps/highway" --strip-components=1
fi
