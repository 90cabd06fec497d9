#!/usr/bin/env bash
# Renders the object reference, dist/Zunda-reference.html, from the compiled
# type library: tlbdump.exe of the 64-bit build dumps it as JSON under Wine,
# tools/make-reference.py renders the page. The page goes into the dist/
# folder of every build folder named.
#
# usage: scripts/make-reference.sh <win64 build dir> [more build dirs ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
page="$build/dist/Zunda-reference.html"
# Nothing to do while the page is newer than everything it is made from.
if [ -f "$page" ] && [ -z "$(find "$build/generated/Zunda.tlb" README.md tools/make-reference.py tools/tlbdump.cpp \
        -newer "$page" 2>/dev/null)" ]; then
    for dir in "${@:2}"; do
        mkdir -p "$dir/dist"
        [ "$dir/dist/Zunda-reference.html" -ef "$page" ] || cp "$page" "$dir/dist/Zunda-reference.html"
    done
    exit 0
fi
. tests/harness/wine.sh
zunda_prefix "$build/reference-wine" >/dev/null
mkdir -p "$ZUNDA_C/reference"
cp "$build/tlbdump.exe" "$build/generated/Zunda.tlb" "$ZUNDA_C/reference/"
rm -f "$ZUNDA_C/reference/Zunda.json"
zunda_wine reference tlbdump.exe 'C:\reference\Zunda.tlb' 'C:\reference\Zunda.json'
zunda_wine_wait
for dir in "$@"; do
    mkdir -p "$dir/dist"
    python3 tools/make-reference.py "$ZUNDA_C/reference/Zunda.json" README.md "$dir/dist/Zunda-reference.html"
done
