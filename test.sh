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
# The Windows-side suites of the two DLLs use prefixes of their own and run
# side by side; their output is shown one after the other.
wine_suite_start() {  # <build-dir>
    ( tests/harness/run-wine-tests.sh "$1" >"$1/wine-tests.log" 2>&1; echo $? >"$1/wine-tests.rc" ) &
}
wine_suite_show() {  # <name> <build-dir>
    echo
    echo "=== $1"
    cat "$2/wine-tests.log"
    summaries+=("$(grep '^== [0-9]*-bit DLL' "$2/wine-tests.log" | tail -1)")
    if [ "$(cat "$2/wine-tests.rc" 2>/dev/null)" = 0 ]; then
        echo "=== $1: passed"
    else
        echo "=== $1: FAILED"; status=1
    fi
}

step "native tests" "$root/native/native_tests" --gtest_brief=1
step "32-bit DLL static checks" python3 tests/harness/check-dll32.py "$root/win32/Zunda.dll"
rm -f "$root"/win32/wine-tests.* "$root"/win64/wine-tests.*
[ -z "$skip32" ] && wine_suite_start "$root/win32"
wine_suite_start "$root/win64"
wait
[ -z "$skip32" ] && wine_suite_show "Windows tests under Wine, 32-bit DLL" "$root/win32"
wine_suite_show "Windows tests under Wine, 64-bit DLL" "$root/win64"
[ -z "$skip32" ] && step "both DLLs registered side by side" \
    tests/harness/run-side-by-side.sh "$root/win32" "$root/win64" "$root/side-by-side"
for f in fuzz/run-*.sh; do
    [ -f "$f" ] && step "fuzz $(basename "$f" .sh)" "$f" "$root/fuzz" 20
done
echo
for s in "${summaries[@]}"; do [ -n "$s" ] && echo "$s"; done
[ -n "$skipline" ] && echo "$skipline"
[ $status -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit $status
