# Sourced by the fuzz runners: reads "OUTDIR SECONDS [libFuzzer options]"
# from the runner's arguments and sets out (OUTDIR, created, made absolute),
# seconds, root (the tree), cxx (CXX_FUZZ, default clang++) and flags (the
# compile flags every target shares). The runner passes "$@" and shifts 2.
if [ $# -lt 2 ]; then
    echo "usage: $0 OUTDIR SECONDS [libFuzzer options]" >&2
    exit 2
fi
seconds=$2
mkdir -p "$1"
out=$(cd "$1" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -O1 -g -Wall -Wextra -fno-omit-frame-pointer -I"$root")
