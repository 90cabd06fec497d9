#!/usr/bin/env bash
# Runs the text benchmarks: the token functions natively, and the cost of a
# late-bound call under Wine through the 32-bit and the 64-bit DLL, each in a
# prefix of its own below its build folder.
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

# The late-bound call through each DLL, in a 32-bit and a 64-bit process:
# each build in a prefix of its own, with its own baseline.
. "$root/tests/harness/wine.sh"
missing=$(zunda_wine32_missing)
for arch in 32 64; do
    echo
    if [ "$arch" = 32 ] && [ -n "$missing" ]; then
        echo "SKIPPED: dispatch_bench of the 32-bit DLL ($missing)"
        continue
    fi
    echo "== dispatch_bench (win$arch under Wine, the $arch-bit DLL)"
    cmake --build "$broot/win$arch" --target Zunda dispatch_bench >/dev/null
    (
        zunda_set_arch "$arch"
        zunda_prefix "$broot/win$arch/bench-wine"
        dest="$ZUNDA_C/zunda-bench"
        mkdir -p "$dest"
        cp "$broot/win$arch/Zunda.dll" "$broot/win$arch/dispatch_bench.exe" "$dest/"
        zunda_wine zunda-bench regsvr32 /s 'C:\zunda-bench\Zunda.dll'
        zunda_wine zunda-bench 'C:\zunda-bench\dispatch_bench.exe'
        zunda_wine_wait
    )
done
