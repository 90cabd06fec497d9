#!/usr/bin/env bash
# 200 files gathered by MxFileList on its worker, checked against the host's
# own stat: sizes and modification times (to the millisecond) must agree.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"
dir="$ZUNDA_C/zunda/stat-files"
rm -rf "$dir"
mkdir -p "$dir"
for i in $(seq 0 199); do
    f=$(printf '%s/s%03d.bin' "$dir" "$i")
    head -c $((i * 97 + i % 7)) /dev/zero > "$f"
    # Times over two decades, with milliseconds.
    touch -d "@$((1000000000 + i * 3111111)).$(printf '%03d' $((i * 7 % 1000)))" "$f"
done
out="$ZUNDA_C/zunda/stat-out.txt"
rm -f "$out"
(
    export ZUNDA_STAT_DIR='C:\zunda\stat-files' ZUNDA_STAT_OUT='C:\zunda\stat-out.txt'
    zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_also_run_disabled_tests \
        --gtest_filter='FileListStat.DISABLED_*'
) || { echo "FAILED: the gathering run"; exit 1; }
failed=0
count=0
while read -r name size seconds; do
    name=${name%$'\r'}
    f="$dir/$name"
    [ -f "$f" ] || { echo "FAILED: $name is no file of the folder"; failed=1; continue; }
    want_size=$(stat -c %s "$f")
    want_time=$(stat -c %.3Y "$f")
    [ "$size" = "$want_size" ] || { echo "FAILED: $name size $size, stat $want_size"; failed=1; }
    if ! awk -v a="$seconds" -v b="$want_time" 'BEGIN { d = a - b; exit !(d < 0.002 && d > -0.002) }'; then
        echo "FAILED: $name modified $seconds, stat $want_time"
        failed=1
    fi
    count=$((count + 1))
done < "$out"
[ "$count" -eq 200 ] || { echo "FAILED: $count records, 200 files"; failed=1; }
rm -rf "$dir" "$out"
exit $failed
