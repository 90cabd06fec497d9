#!/usr/bin/env bash
# Runs the text benchmarks: the token functions natively, and the cost of a
# late-bound call under Wine in a prefix of its own below the build root.
# Usage: bench/run-text-bench.sh <build-root>   (for example build/text)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
broot=$(cd "$1" && pwd)

echo "== tokens_bench (native)"
cmake --build "$broot/native" --target tokens_bench >/dev/null
"$broot/native/tokens_bench"

echo
echo "== edits_bench (native)"
cmake --build "$broot/native" --target edits_bench >/dev/null
"$broot/native/edits_bench"

echo
echo "== dispatch_bench (win64 under Wine)"
cmake --build "$broot/win64" --target Zunda dispatch_bench >/dev/null
. "$root/tests/harness/wine.sh"
zunda_prefix "$broot/win64/bench-wine"
dest="$ZUNDA_C/zunda-bench"
mkdir -p "$dest"
cp "$broot/win64/Zunda.dll" "$broot/win64/dispatch_bench.exe" "$dest/"
zunda_wine zunda-bench regsvr32 /s 'C:\zunda-bench\Zunda.dll'
zunda_wine zunda-bench 'C:\zunda-bench\dispatch_bench.exe'
