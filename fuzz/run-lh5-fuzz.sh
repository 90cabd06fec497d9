#!/bin/bash
# Builds the lh5/basecrypt fuzzer with clang (libFuzzer, ASan, UBSan) into
# OUTDIR and runs it for SECONDS, starting from a seed corpus of valid
# streams. Exits non-zero when the fuzzer finds a crash, a leak, a hang or a
# failed round trip; the input that did it is left in OUTDIR.
#
# Usage: fuzz/run-lh5-fuzz.sh OUTDIR SECONDS [extra libFuzzer options]
# Needs clang++ and libclang-rt-14-dev (or the runtime of the clang in use).
set -euo pipefail
. "$(dirname "$0")/common.sh"
shift 2

mkdir -p "$out/seeds" "$out/corpus"
sources=("$root/text/core/lh5.cpp" "$root/text/core/basecrypt.cpp")

"$cxx" "${flags[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    "$root/fuzz/lh5_fuzz.cpp" "${sources[@]}" -o "$out/lh5_fuzz"
"$cxx" "${flags[@]}" -fsanitize=address,undefined -DLH5_FUZZ_SEEDS \
    "$root/fuzz/lh5_fuzz.cpp" "${sources[@]}" -o "$out/lh5_seeds"

"$out/lh5_seeds" "$out/seeds"
cp "$root"/tests/text/fixtures/*.lh5 "$out/seeds/"

# -max_len: strings of a few KiB, like those a script compresses.
"$out/lh5_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/" "$@" "$out/corpus" "$out/seeds"
