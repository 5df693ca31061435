#!/usr/bin/env bash
# Makes the packages of the built trees and checks them:
#   scripts/test-packages.sh LINUX_BUILD WINDOWS_BUILD [WEB_BUILD]
# The .deb must pass Debian's package checker, declare its libraries, hold a valid desktop entry,
# a manual page that formats without a warning and a program that starts. Each .zip must unpack
# into one folder named after the package, holding README.txt, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, whose notices name every component of other projects it carries with
# copyright lines and licence: the Windows one tessera.exe, needing no DLL beyond Windows' own;
# the web one the page's folder, whose server, started as its README says, gives the page the
# headers for shared memory.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=$1
windows_build=$2
web_build=${3:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "$*" >&2; exit 1; }

# Lists the .zip and checks that it unpacks into the one folder named after it, holding exactly
# the files named; unpacks it into DIR.
check_layout() {
    local zip=$1 dir=$2 files=$3
    local folder
    folder=$(basename "$zip" .zip)
    echo "$(basename "$zip"):"
    unzip -l "$zip"
    [ "$(unzip -Z1 "$zip" | sort | xargs)" = "$(for file in $files; do echo "$folder/$file"; done | sort | xargs)" ] \
        || fail "$zip does not hold exactly $folder/ with $files: $(unzip -Z1 "$zip" | xargs)"
    unzip -q "$zip" -d "$dir"
}

# Checks that a component's section of the notices (its heading under a rule of = signs) is
# there, with a copyright line (the word and a year) and its licence's words.
check_notice() {
    local notices=$1 component=$2 licence=$3
    local text
    text=$(tr -d '\r' <"$notices" | awk -v name="$component" '
        previous ~ /^=+$/ && /^[0-9]+\. / { inside = (substr($0, index($0, " ") + 1) == name) }
        inside { print }
        { previous = $0 }')
    [ -n "$text" ] || fail "THIRD-PARTY-NOTICES.txt does not name $component"
    grep -Eqi "copyright(:| \(c\))? +[0-9]{4}" <<<"$text" && grep -qF "$licence" <<<"$text" \
        || fail "THIRD-PARTY-NOTICES.txt lacks the copyright lines or the licence (\"$licence\") of $component"
}

# Checks that a README.txt mentions every topic.
check_readme() {
    local readme=$1
    shift
    for topic in "$@"; do
        grep -qF "$topic" "$readme" || fail "$readme does not mention \"$topic\""
    done
}

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

texts="README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt"
check_layout "$zip" "$scratch/zip" "tessera.exe $texts"
windows=$scratch/zip/$(basename "$zip" .zip)
for text in $texts; do
    # Not empty, and every line ends in 13, 10, the last one included.
    file=$windows/$text
    [ -s "$file" ] && ! grep -qv $'\r$' "$file" && [ -z "$(tail -c 1 "$file" | tr -d '\n')" ] \
        || fail "$text is empty or has lines that do not end in CR LF"
done
grep -q "^MIT License" "$windows/LICENSE.txt" || fail "LICENSE.txt does not hold the licence"
check_readme "$windows/README.txt" "Tessera $version" "cmd" "tessera.exe" "single-step" \
    "$(basename "$zip" .zip)" "THIRD-PARTY-NOTICES.txt"
check_notice "$windows/THIRD-PARTY-NOTICES.txt" Highway "Apache License"
check_notice "$windows/THIRD-PARTY-NOTICES.txt" winpthreads "Permission is hereby granted"
check_notice "$windows/THIRD-PARTY-NOTICES.txt" "GCC run-time libraries" "GCC RUNTIME LIBRARY EXCEPTION"
system_dlls='^(KERNEL32|USER32|GDI32|msvcrt|api-ms-win-core-synch-l1-2-0)\.dll$'
if x86_64-w64-mingw32-objdump -p "$windows/tessera.exe" | sed -n 's/^\s*DLL Name: //p' | grep -Ev "$system_dlls"; then
    fail "tessera.exe needs the DLLs above"
fi
echo "packages: $(basename "$deb") ($depends), $(basename "$zip")"
[ -n "$web_build" ] || exit 0

web_zip=$(ls "$web_build"/packages/tessera-*-web.zip)
check_layout "$web_zip" "$scratch/web" "canvas_worker.js index.html page.css page.js serve.py service_worker.js \
    tessera.js tessera.wasm tessera.worker.js xterm.css xterm.js $texts"
web=$scratch/web/$(basename "$web_zip" .zip)
grep -q "^MIT License" "$web/LICENSE.txt" || fail "the web LICENSE.txt does not hold the licence"
check_readme "$web/README.txt" "Tessera $version" "python3 serve.py ." "$(basename "$web_zip" .zip)" \
    "Cross-Origin-Opener-Policy: same-origin" "Cross-Origin-Embedder-Policy: require-corp" "single-step" \
    "THIRD-PARTY-NOTICES.txt" "service_worker.js" "python3 -m http.server"
check_notice "$web/THIRD-PARTY-NOTICES.txt" xterm.js "Permission is hereby granted"
check_notice "$web/THIRD-PARTY-NOTICES.txt" Highway "Apache License"
# Every file the page links to is in its folder.
for link in $(grep -o 'href="[^":]*"' "$web/index.html" | sed 's/^href="//; s/"$//'); do
    [ -f "$web/$link" ] || fail "index.html links to $link, which the web package does not hold"
done

# The server, started in the folder as README.txt says.
(cd "$web" && exec python3 serve.py .) >"$scratch/address" &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 300); do [ -s "$scratch/address" ] && break; sleep 0.1; done
fetch='import sys, urllib.request
with urllib.request.urlopen(sys.argv[1], timeout=30) as answer:
    answer.read()
    print(str(answer.headers).lower())'
# Every answer carries the two headers; the notices, linked from the page, are read as UTF-8.
for file in tessera.wasm:application/wasm THIRD-PARTY-NOTICES.txt:"text/plain; charset=utf-8"; do
    headers=$(python3 -c "$fetch" "$(cat "$scratch/address")${file%%:*}")
    for header in "cross-origin-opener-policy: same-origin" "cross-origin-embedder-policy: require-corp" \
        "content-type: ${file#*:}"; do
        [[ $headers == *"$header"* ]] || fail "the packaged server does not send $header with ${file%%:*}"
    done
done
echo "web package: $(basename "$web_zip")"
