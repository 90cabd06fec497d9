#!/usr/bin/env bash
# Configures and builds the requested targets (default: native win32 win64).
set -euo pipefail
cd "$(dirname "$0")/.."
# ZUNDA_BUILD_ROOT (default: build) lets several working copies of the
# build live side by side, each with its own Wine prefix.
root=${ZUNDA_BUILD_ROOT:-build}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(native win32 win64)
for t in "${targets[@]}"; do
    echo "== build $t"
    [ -f "$root/$t/build.ninja" ] || cmake --preset "$t" -B "$root/$t" >/dev/null
    cmake --build "$root/$t"
done
# The object reference is rendered from the compiled type library of the
# 64-bit build (a Windows program reads it under Wine) into each dist/.
if [[ " ${targets[*]} " == *" win64 "* ]]; then
    dists=("$root/win64")
    [[ " ${targets[*]} " == *" win32 "* ]] && dists+=("$root/win32")
    echo "== object reference"
    scripts/make-reference.sh "$root/win64" "${dists[@]}"
fi
