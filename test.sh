#!/usr/bin/env bash
# Every test of the project: native unit tests, static checks of the 32-bit
# DLL, the Windows-side tests (C++ and script clients, extra runs) of both
# DLLs under Wine, the shipping 32-bit one and the 64-bit one, both DLLs
# registered side by side, and a short fuzz run. Installs what is missing first.
# ZUNDA_NO_WINE32=1 leaves out what needs the 32-bit Wine runtime (as does a
# runtime that could not be installed): the run says so in a line beginning
# "SKIPPED: 32-bit runtime tests" and again in its closing summary.
set -uo pipefail
cd "$(dirname "$0")"
scripts/setup.sh || exit 1
root=${ZUNDA_BUILD_ROOT:-build}
scripts/build.sh native win32 win64 || { echo "BUILD FAILED"; exit 1; }

skip32=$(. tests/harness/wine.sh && zunda_wine32_missing)
skipline=
if [ -n "$skip32" ]; then
    skipline="SKIPPED: 32-bit runtime tests ($skip32); the 32-bit DLL gets its static checks only"
    echo "$skipline"
fi

status=0
summaries=()
step() {
    local name=$1; shift
    echo
    echo "=== $name"
    if "$@"; then echo "=== $name: passed"; else echo "=== $name: FAILED"; status=1; fi
}
# The Windows-side suites of the two DLLs and the side-by-side run use
# prefixes of their own and run at the same time, the suites' extra runs one
# at a time; their output is shown one after the other.
background() {  # <log> <command...>
    local log=$1; shift
    ( "$@" >"$log" 2>&1; echo $? >"$log.rc" ) &
}
show() {  # <name> <log>
    echo
    echo "=== $1"
    cat "$2"
    if [ "$(cat "$2.rc" 2>/dev/null)" = 0 ]; then
        echo "=== $1: passed"
    else
        echo "=== $1: FAILED"; status=1
    fi
}

step "native tests" "$root/native/native_tests" --gtest_brief=1
step "32-bit DLL static checks" python3 tests/harness/check-dll32.py "$root/win32/Zunda.dll"
export ZUNDA_HOOK_LOCK="$(cd "$root" && pwd)/wine-hooks.lock"
rm -f "$root"/win32/wine-tests.log* "$root"/win64/wine-tests.log* "$root"/side-by-side.log* "$root"/static-checks.log*
if [ -z "$skip32" ]; then
    background "$root/win32/wine-tests.log" tests/harness/run-wine-tests.sh "$root/win32"
    background "$root/side-by-side.log" flock "$ZUNDA_HOOK_LOCK" \
        tests/harness/run-side-by-side.sh "$root/win32" "$root/win64" "$root/side-by-side"
fi
background "$root/win64/wine-tests.log" tests/harness/run-wine-tests.sh "$root/win64"
# clang-tidy and cppcheck take one core beside the Windows-side runs, which
# spend much of their time waiting on Wine.
background "$root/static-checks.log" env ZUNDA_TIDY_JOBS=1 scripts/static-checks.sh "$root"
wait
unset ZUNDA_HOOK_LOCK
for arch in 32 64; do
    [ $arch = 32 ] && [ -n "$skip32" ] && continue
    log="$root/win$arch/wine-tests.log"
    show "Windows tests under Wine, $arch-bit DLL" "$log"
    summaries+=("$(grep "^== $arch-bit DLL" "$log" | tail -1)")
done
[ -z "$skip32" ] && show "both DLLs registered side by side" "$root/side-by-side.log"
for f in fuzz/run-*.sh; do
    [ -f "$f" ] && step "fuzz $(basename "$f" .sh)" "$f" "$root/fuzz" 20
done
step "object reference in a browser" python3 tests/harness/check-reference.py \
    "$root/win64/dist/Zunda-reference.html" server/Zunda.idl README.md "$root/reference.png"
show "static checks (clang-tidy, cppcheck)" "$root/static-checks.log"
echo
for s in "${summaries[@]}"; do [ -n "$s" ] && echo "$s"; done
[ -n "$skipline" ] && echo "$skipline"
[ $status -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit $status
