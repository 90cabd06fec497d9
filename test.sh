#!/usr/bin/env bash
# Every test of the project: native unit tests, static checks of the 32-bit
# DLL, the Windows-side tests of the 64-bit DLL under Wine (C++ and script
# clients) and a short fuzz run. Installs what is missing first.
set -uo pipefail
cd "$(dirname "$0")"
scripts/setup.sh || exit 1
root=${ZUNDA_BUILD_ROOT:-build}
scripts/build.sh native win32 win64 || { echo "BUILD FAILED"; exit 1; }

status=0
step() {
    local name=$1; shift
    echo
    echo "=== $name"
    if "$@"; then echo "=== $name: passed"; else echo "=== $name: FAILED"; status=1; fi
}
step "native tests" "$root/native/native_tests" --gtest_brief=1
step "32-bit DLL static checks" python3 tests/harness/check-dll32.py "$root/win32/Zunda.dll"
step "Windows tests under Wine" tests/harness/run-wine-tests.sh "$root/win64"
for f in fuzz/run-*.sh; do
    [ -f "$f" ] && step "fuzz $(basename "$f" .sh)" "$f" "$root/fuzz" 20
done
echo
[ $status -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit $status
