#!/usr/bin/env bash
# Static checks of the product code: clang-tidy (configuration in
# .clang-tidy) on every portable core through the native build and on every
# Windows source through the 64-bit build (parsed by clang for the mingw
# target with the cross compiler's C++ headers), and cppcheck on the whole
# product tree. Exits non-zero on any finding.
# usage: scripts/static-checks.sh [--cppcheck-only] [build root]   (the native and win64 builds must exist)
# ZUNDA_TIDY_JOBS sets how many clang-tidy processes run at once (default 2);
# ./test.sh runs the checks on one core beside the Windows-side suites.
set -uo pipefail
cd "$(dirname "$0")/.."
tidy=1
if [ "${1:-}" = --cppcheck-only ]; then tidy=0; shift; fi
root=${1:-${ZUNDA_BUILD_ROOT:-build}}
subsystems="server collections text files system machine devices network"
status=0

jobs=${ZUNDA_TIDY_JOBS:-2}
# The presets write compile_commands.json; an older build folder gets it here.
for b in $( [ $tidy = 1 ] && echo native win64 ); do
    [ -f "$root/$b/compile_commands.json" ] || cmake -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "$root/$b" >/dev/null || exit 1
done
core=() win=()
for s in $subsystems; do
    for f in "$s"/core/*.cpp; do [ -f "$f" ] && core+=("$PWD/$f"); done
    for f in "$s"/win/*.cpp; do [ -f "$f" ] && win+=("$PWD/$f"); done
done

cxx=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-win32/include/c++ | head -1)
if [ $tidy = 1 ]; then
echo "clang-tidy: ${#core[@]} core sources, ${#win[@]} Windows sources"
run-clang-tidy -quiet -j "$jobs" -p "$root/native" "${core[@]}" >"$root/clang-tidy-core.log" 2>&1 || status=1
run-clang-tidy -quiet -j "$jobs" -p "$root/win64" -extra-arg=--target=x86_64-w64-mingw32 \
    -extra-arg=-isystem"$cxx" -extra-arg=-isystem"$cxx/x86_64-w64-mingw32" -extra-arg=-isystem"$cxx/backward" \
    "${win[@]}" >"$root/clang-tidy-win.log" 2>&1 || status=1
sed 's/\x1b\[[0-9;]*m//g' "$root/clang-tidy-core.log" "$root/clang-tidy-win.log" |
    grep -E "(warning|error): .*\[[a-z-]+.*\]$" | sort -u
[ $status -eq 0 ] && echo "clang-tidy: no findings" || echo "clang-tidy: FINDINGS (logs in $root/clang-tidy-*.log)"
fi

echo "cppcheck: $subsystems"
dirs=()
for s in $subsystems; do [ -d "$s" ] && dirs+=("$s"); done
if ! cppcheck --enable=warning,portability --std=c++20 --inline-suppr --quiet --error-exitcode=1 \
        --library=windows --platform=win64 -D_WIN32 -D__cplusplus=202002L -I . -I "$root/win64/generated" \
        --suppress=missingIncludeSystem "${dirs[@]}"; then
    echo "cppcheck: FINDINGS"
    status=1
else
    echo "cppcheck: no findings"
fi
exit $status
