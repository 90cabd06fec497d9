#!/usr/bin/env bash
# Runs the Windows-side tests under wine64 against the 64-bit build:
# registers Zunda.dll in a prefix of the build folder, runs the C++ test
# program, then every JScript and VBScript test through cscript.
# Usage: run-wine-tests.sh <win64-build-dir> [gtest filter]
set -u
build=$(cd "$1" && pwd)
filter=${2:-*}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"

zunda_prefix "$build/wine" || exit 1
dest="$ZUNDA_C/zunda"
rm -rf "$dest"
zunda_test_program "$build"
mkdir -p "$dest/scripts"
for f in "$root"/tests/*/*.js "$root"/tests/*/*.vbs "$root"/tests/*/*.wsf; do
    [ -f "$f" ] && cp "$f" "$dest/scripts/"
done
[ -d "$build/test-data" ] && cp -r "$build/test-data/." "$dest/"

failed=0
if ! zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll'; then
    echo "FAILED: regsvr32 Zunda.dll"
    exit 1
fi

echo "== win_tests.exe"
if ! zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter="$filter"; then
    echo "FAILED: win_tests.exe"
    failed=1
fi

if [ "$filter" = "*" ]; then
    for f in "$dest"/scripts/*; do
        [ -f "$f" ] || continue
        name=$(basename "$f")
        if zunda_cscript "$name"; then echo "ok: $name"; else failed=1; fi
    done
fi
# Further runs in other configurations (Windows versions, locales, fixtures):
# each tests/<subsystem>/wine-*.sh gets the build folder and uses this prefix.
if [ "$filter" = "*" ]; then
    for x in "$root"/tests/*/wine-*.sh; do
        [ -f "$x" ] || continue
        echo "== $(basename "$(dirname "$x")")/$(basename "$x")"
        if ! bash "$x" "$build"; then
            echo "FAILED: $x"
            failed=1
        fi
    done
fi
zunda_wine_wait
exit $failed
