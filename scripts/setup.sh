#!/usr/bin/env bash
# Installs what building, running and testing Tessera needs on Debian 12, when it is missing.
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake make pkg-config
  libx11-dev libxext-dev libhwy-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libfaketime
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
