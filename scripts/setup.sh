#!/usr/bin/env bash
# Installs what building, running and testing Tessera needs on Debian 12, when it is missing.
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake make pkg-config
  libx11-dev libxext-dev libhwy-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libfaketime
  g++-mingw-w64-x86-64-posix wine64 googletest
  emscripten chromium
)
# The browser build's page and tests take their packages with npm; a Node.js that brings its own
# npm does as well as Debian's.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

# The Windows build compiles Highway from its Debian source package, fetched with apt-get source.
source_list=/etc/apt/sources.list.d/tessera-sources.sources
needs_sources=false
apt-get source --print-uris highway >/dev/null 2>&1 || needs_sources=true

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && ! $needs_sources && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if $needs_sources; then
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: bookworm" "Components: main" \
        "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" | $sudo tee "$source_list" >/dev/null
fi
$sudo apt-get update
[ ${#missing[@]} -eq 0 ] && exit 0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
