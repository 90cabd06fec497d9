#!/bin/bash
# Builds the fuzz targets of the parsers that read bytes from outside (the
# version resource, the device mode, the time-zone record, registry value
# data, the environment block and device names, lines of text as the string
# list and the file reader split them, the compressed-text encodings, the
# NetBIOS buffers) with clang (libFuzzer, ASan, UBSan) into OUTDIR, then
# runs each for its share of SECONDS from a scratch copy of its corpus in
# fuzz/corpus/NAME/ (the tree's corpus is never written).
# Exits non-zero when any target finds a crash, a leak, a hang or a failed
# check; the input that did it is left in OUTDIR as NAME-crash-... .
#
# Usage: fuzz/run-parsers-fuzz.sh OUTDIR SECONDS [libFuzzer options]
#   FUZZ_TARGETS="devmode timezone" limits the run to those targets.
#   Long run (outside CI), a few million inputs each:
#     fuzz/run-parsers-fuzz.sh build/fuzz 40000 -runs=5000000
# Needs clang++ and libclang-rt-14-dev (or the runtime of the clang in use).
set -euo pipefail
. "$(dirname "$0")/common.sh"
shift 2
all_targets=(version_resource devmode timezone registry_values machine_blocks stringlist compress_text netbios)
read -r -a targets <<<"${FUZZ_TARGETS:-${all_targets[*]}}"

mkdir -p "$out/parsers/obj"
work=$out/parsers
sources=(
    files/core/version_resource.cpp files/core/file_record.cpp files/core/path.cpp files/core/line_reader.cpp
    devices/core/devmode.cpp devices/core/device_tree.cpp
    machine/core/timezone.cpp machine/core/os_version.cpp machine/core/display.cpp machine/core/directx.cpp
    machine/core/machine_lists.cpp machine/core/media.cpp machine/core/drive.cpp
    system/core/reg_values.cpp system/core/registry.cpp
    collections/core/stringlist.cpp
    text/core/compress_text.cpp text/core/basecrypt.cpp text/core/lh5.cpp text/core/dates.cpp
    network/core/netbios.cpp
    tests/support/cp1252_locale.cpp
)
flags+=(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)
link=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

# The parsers go into one archive, so that each target links only what it
# uses; two compilers at a time. ccache serves repeated builds when present.
launcher=
command -v ccache >/dev/null && launcher=ccache
export cxx root work launcher
export CXX_FLAGS="${flags[*]}" LINK_FLAGS="${link[*]}"
objects=()
for s in "${sources[@]}"; do objects+=("$work/obj/${s//\//_}.o"); done
printf '%s\n' "${sources[@]}" | xargs -P 2 -I{} bash -c \
    'set -e; s={}; $launcher "$cxx" $CXX_FLAGS -c "$root/$s" -o "$work/obj/${s//\//_}.o"'
rm -f "$work/parsers.a"
ar rcs "$work/parsers.a" "${objects[@]}"
printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash -c \
    'set -e; $launcher "$cxx" $CXX_FLAGS -c "$root/fuzz/{}_fuzz.cpp" -o "$work/{}_fuzz.o"
     "$cxx" $LINK_FLAGS "$work/{}_fuzz.o" "$work/parsers.a" -o "$work/{}_fuzz"'

# Each target gets an equal share of the time, at least one second.
share=$(( seconds / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1
status=0
for t in "${targets[@]}"; do
    corpus=$work/$t-corpus
    rm -rf "$corpus"
    mkdir -p "$corpus"
    [ -d "$root/fuzz/corpus/$t" ] && cp "$root/fuzz/corpus/$t"/* "$corpus/" 2>/dev/null || true
    # Compressed texts of 2 KiB reach every path; longer ones only cost time.
    maxlen=8192
    [ "$t" = compress_text ] && maxlen=2048
    echo "--- $t: $share s"
    if ! "$work/${t}_fuzz" -max_total_time="$share" -max_len=$maxlen -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/$t-" "$@" "$corpus" 2>"$work/$t.log"; then
        echo "--- $t: FINDING (log: $work/$t.log)"
        tail -n 40 "$work/$t.log"
        status=1
    else
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$work/$t.log" | sed "s/^/    /"
    fi
done
exit $status
