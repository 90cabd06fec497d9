#!/usr/bin/env bash
# Configures and builds the requested targets (default: native win32 win64).
set -euo pipefail
cd "$(dirname "$0")/.."
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(native win32 win64)
for t in "${targets[@]}"; do
    echo "== build $t"
    [ -f "build/$t/build.ninja" ] || cmake --preset "$t" >/dev/null
    cmake --build "build/$t"
done
