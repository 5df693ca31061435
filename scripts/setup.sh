#!/usr/bin/env bash
# Installs what building, running, testing and packaging Tessera needs on Debian 12, when it is
# missing: scripts/setup.sh [further package ...] (the benches name what only they need).
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake make pkg-config
  libx11-dev libx11-xcb-dev libxext-dev libhwy-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libfaketime libvterm-dev strace
  g++-mingw-w64-x86-64-posix wine64 googletest
  emscripten chromium
  dpkg-dev lintian desktop-file-utils groff-base unzip python3
  "$@"
)
# The browser build's page and tests take their packages with npm; a Node.js that brings its own
# npm does as well as Debian's.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

# The Windows build compiles Highway from its Debian source package, fetched with apt-get source.
# Its source entry repeats the machine's own Debian entries (same addresses, suites, components
# and keyring) as deb-src, so it reaches Debian the way the machine already does.
source_list=/etc/apt/sources.list.d/tessera-sources.sources

# Prints a deb-src stanza for every enabled "deb" entry, in the one-line format (.list files) or
# the deb822 format (.sources files), that carries the release's own suite and its main component.
debian_source_stanzas() {
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    local lists=() stanzas=()
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] && lists+=("$file")
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && [ "$file" != "$source_list" ] && stanzas+=("$file")
    done
    local emit='
        function has(list, word,   n, parts, i) {
            n = split(list, parts, /[ \t]+/)
            for (i = 1; i <= n; ++i) if (parts[i] == word) return 1
            return 0
        }
        function emit(uris, suites, components, keyring) {
            if (!has(suites, codename) || !has(components, "main")) return
            printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uris, suites, components
            if (keyring != "") printf "Signed-By:%s\n", keyring
            print ""
        }'
    [ ${#lists[@]} -eq 0 ] || awk -v codename="$codename" "$emit"'
        # deb [option=value ...] URI SUITE COMPONENT...
        { sub(/#.*/, "") }
        $1 != "deb" { next }
        {
            keyring = ""
            rest = substr($0, index($0, "deb") + 3)
            if (match(rest, /\[[^]]*\]/)) {
                n = split(substr(rest, RSTART + 1, RLENGTH - 2), options, /[ \t]+/)
                for (i = 1; i <= n; ++i) if (options[i] ~ /^signed-by=/) keyring = " " substr(options[i], 11)
                rest = substr(rest, RSTART + RLENGTH)
            }
            n = split(rest, words, /[ \t]+/)
            uri = ""; suite = ""; components = ""
            for (i = 1; i <= n; ++i) {
                if (words[i] == "") continue
                if (uri == "") uri = words[i]
                else if (suite == "") suite = words[i]
                else components = components (components == "" ? "" : " ") words[i]
            }
            emit(uri, suite, components, keyring)
        }' "${lists[@]}"
    [ ${#stanzas[@]} -eq 0 ] || awk -v codename="$codename" "$emit"'
        # Stanzas of "Field: value" lines, separated by empty lines; a line that starts with a
        # blank continues the field before it (Signed-By may hold a whole key).
        function finish() {
            if (has(field["types"], "deb") && tolower(field["enabled"]) != "no")
                emit(field["uris"], field["suites"], field["components"], field["signed-by"])
            delete field
            last = ""
        }
        FNR == 1 { finish() }
        /^#/ { next }
        /^[ \t]*$/ { finish(); next }
        /^[ \t]/ { if (last != "") field[last] = field[last] "\n" $0; next }
        {
            last = tolower(substr($0, 1, index($0, ":") - 1))
            field[last] = substr($0, index($0, ":") + 1)
            # The keyring is repeated as written; the other values are lists of words.
            if (last != "signed-by") { sub(/^[ \t]+/, "", field[last]); sub(/[ \t]+$/, "", field[last]) }
        }
        END { finish() }' "${stanzas[@]}"
}

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
    stanzas=$(debian_source_stanzas)
    if [ -z "$stanzas" ]; then
        echo "setup: no Debian entry for $(. /etc/os-release && echo "$VERSION_CODENAME") main in /etc/apt to take a deb-src entry from" >&2
        exit 1
    fi
    printf '%s\n' "$stanzas" | $sudo tee "$source_list" >/dev/null
fi
$sudo apt-get update
[ ${#missing[@]} -eq 0 ] && exit 0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
