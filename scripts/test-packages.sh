#!/usr/bin/env bash
# Makes the packages of the built trees and checks them:
#   scripts/test-packages.sh LINUX_BUILD WINDOWS_BUILD [WEB_BUILD]
# The .deb must pass Debian's package checker, declare its libraries, hold a valid desktop entry,
# a manual page that formats without a warning and a program that starts; the .zip must hold
# tessera.exe, needing no DLL beyond Windows' own, with README.txt and LICENSE.txt beside it; the
# web .zip must hold the page's folder, whose server gives the page the headers for shared memory.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=$1
windows_build=$2
web_build=${3:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "$*" >&2; exit 1; }

for build in "$linux_build" "$windows_build" $web_build; do
    (cd "$build" && cpack -B packages) >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; exit 1; }
done
deb=$(ls "$linux_build"/packages/tessera_*.deb)
zip=$(ls "$windows_build"/packages/tessera-*.zip)
version=$(dpkg-deb -f "$deb" Version)
version=${version%-*}

echo "lintian on $(basename "$deb"):"
lintian --fail-on error,warning "$deb" || fail "lintian found errors or warnings in $deb"
echo "lintian: no errors, no warnings"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libx11-6 libxext6 libhwy1 libstdc++6; do
    [[ $depends == *"$library"* ]] || fail "$deb does not depend on $library: $depends"
done
root=$scratch/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/tessera.desktop" || fail "the desktop entry is not valid"
echo "desktop-file-validate: tessera.desktop is valid"
zcat "$root/usr/share/doc/tessera/changelog.Debian.gz" >"$scratch/changelog"
[ "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)" ] \
    || fail "the changelog's latest entry is not for version $(dpkg-deb -f "$deb" Version)"
warnings=$(zcat "$root/usr/share/man/man6/tessera.6.gz" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff on tessera.6: $warnings"
# With no answers the program greets, and ends with exit code 1 when its input ends.
status=0
"$root/usr/games/tessera" </dev/null >"$scratch/out" 2>"$scratch/err" || status=$?
grep -q "^Tessera // " "$scratch/out" && [ "$status" -eq 1 ] \
    || { echo "the packaged program did not start as expected (exit $status)" >&2; cat "$scratch/err" >&2; exit 1; }

echo "$(basename "$zip"):"
unzip -l "$zip"
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LICENSE.txt README.txt tessera.exe " ] \
    || fail "$zip does not hold exactly tessera.exe, README.txt and LICENSE.txt"
unzip -q "$zip" -d "$scratch/zip"
for text in README.txt LICENSE.txt; do
    # Not empty, and every line ends in 13, 10, the last one included.
    file=$scratch/zip/$text
    [ -s "$file" ] && ! grep -qv $'\r$' "$file" && [ -z "$(tail -c 1 "$file" | tr -d '\n')" ] \
        || fail "$text is empty or has lines that do not end in CR LF"
done
grep -q "^MIT License" "$scratch/zip/LICENSE.txt" || fail "LICENSE.txt does not hold the licence"
for topic in "Tessera $version" "cmd" "tessera.exe" "single-step"; do
    grep -qF "$topic" "$scratch/zip/README.txt" || fail "README.txt does not mention \"$topic\""
done
system_dlls='^(KERNEL32|USER32|GDI32|msvcrt|api-ms-win-core-synch-l1-2-0)\.dll$'
if x86_64-w64-mingw32-objdump -p "$scratch/zip/tessera.exe" | sed -n 's/^\s*DLL Name: //p' | grep -Ev "$system_dlls"; then
    fail "tessera.exe needs the DLLs above"
fi
echo "packages: $(basename "$deb") ($depends), $(basename "$zip")"
[ -n "$web_build" ] || exit 0

web_zip=$(ls "$web_build"/packages/tessera-*-web.zip)
page_files="index.html page.css page.js serve.py tessera.js tessera.wasm tessera.worker.js xterm.css xterm.js"
[ "$(unzip -Z1 "$web_zip" | sort | xargs)" = "$page_files" ] \
    || { echo "$web_zip does not hold the page's files: $(unzip -Z1 "$web_zip" | xargs)" >&2; exit 1; }
unzip -q "$web_zip" -d "$scratch/web"
python3 "$scratch/web/serve.py" "$scratch/web" >"$scratch/address" &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 300); do [ -s "$scratch/address" ] && break; sleep 0.1; done
fetch='import sys, urllib.request
with urllib.request.urlopen(sys.argv[1], timeout=30) as answer:
    answer.read()
    print(str(answer.headers).lower())'
headers=$(python3 -c "$fetch" "$(cat "$scratch/address")tessera.wasm")
for header in "cross-origin-opener-policy: same-origin" "cross-origin-embedder-policy: require-corp" \
    "content-type: application/wasm"; do
    [[ $headers == *"$header"* ]] || { echo "the packaged server does not send $header" >&2; exit 1; }
done
echo "web package: $(basename "$web_zip")"
