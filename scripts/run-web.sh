#!/usr/bin/env bash
# Builds Tessera for the browser and serves its page on 127.0.0.1, printing the address to open:
# scripts/run-web.sh [PORT]   (stop the server with Ctrl+C)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build-web.sh build-web >/dev/null
exec python3 web/serve.py build-web/site "${1:-0}"
