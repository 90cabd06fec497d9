#!/usr/bin/env bash
# Runs the device tree benchmark under Wine in a prefix of its own (the
# benchmark writes 5,000 device keys into that prefix's registry).
# Usage: bench/run-device-bench.sh <win64-build-dir>   (for example build/win64)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
cmake --build "$build" --target Zunda device_bench >/dev/null
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/bench-devices"
dest="$ZUNDA_C/zunda-bench"
mkdir -p "$dest"
cp "$build/Zunda.dll" "$build/device_bench.exe" "$dest/"
zunda_wine zunda-bench regsvr32 /s 'C:\zunda-bench\Zunda.dll'
zunda_wine zunda-bench 'C:\zunda-bench\device_bench.exe'
zunda_wine_wait
