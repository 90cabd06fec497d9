#!/usr/bin/env bash
# Runs the file list benchmark under Wine in a prefix of its own below the
# build root: 10,000 files gathered by MxFileList (calling thread and worker)
# against the system's Scripting.FileSystemObject, in the same run.
# Usage: bench/run-filelist-bench.sh <build-root> [count]   (for example build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
broot=$(cd "$1" && pwd)
count=${2:-10000}
cmake --build "$broot/win64" --target Zunda filelist_bench >/dev/null
. "$root/tests/harness/wine.sh"
zunda_prefix "$broot/win64/bench-wine"
dest="$ZUNDA_C/zunda-bench"
mkdir -p "$dest"
cp "$broot/win64/Zunda.dll" "$broot/win64/filelist_bench.exe" "$dest/"
zunda_wine zunda-bench regsvr32 /s 'C:\zunda-bench\Zunda.dll'
zunda_wine zunda-bench 'C:\zunda-bench\filelist_bench.exe' 'C:\zunda-bench\files' "$count"
