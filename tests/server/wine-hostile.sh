#!/usr/bin/env bash
# Hostile callers and the soak, in the suite's prefix after its own tests:
# every member of every class called late-bound and early-bound with hostile
# arguments (generated from the type library), then every class created,
# used and released 10,000 times with the process's heap, private bytes and
# handles printed. The hostile calls act on the registry, the recycle bin and
# a scratch folder, so they come after the runs that look at those.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"
zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_also_run_disabled_tests \
    --gtest_filter='Hostile.DISABLED_*:Soak.DISABLED_*' 2>&1 | tr -d '\r' |
    grep -v '^\[ *\(RUN\|OK\) *\]'
exit "${PIPESTATUS[0]}"
