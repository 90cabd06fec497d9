#!/usr/bin/env bash
# Runs the Windows-side tests of one build under Wine, the 32-bit or the
# 64-bit one (told by its Zunda.dll): registers Zunda.dll in a prefix of the
# build folder with the regsvr32 of its bitness, runs that build's C++ test
# program, every JScript and VBScript test through the cscript of the same
# bitness, then every extra run. Ends with one summary line of counts,
# "== <n>-bit DLL: ...", which test.sh repeats in its closing summary.
# Usage: run-wine-tests.sh <win32-or-win64-build-dir> [gtest filter]
#
# Extra runs (hooks): every tests/<subsystem>/wine-*.sh is run once per DLL as
#     bash tests/<subsystem>/wine-NAME.sh <build-dir>
# with ZUNDA_ARCH (32 or 64) and ZUNDA_WINE (the loader) exported. A hook
# sources tests/harness/wine.sh and calls zunda_prefix "$build/wine" (or a
# prefix of its own below the build folder); zunda_wine and zunda_cscript
# then run programs of that bitness, and zunda_test_program copies that
# build's DLL and test program. Exit status 0 passes, 77 says the hook does
# not apply to this DLL (counted as skipped), anything else fails. When the
# suites of both DLLs run at once, ZUNDA_HOOK_LOCK names a lock file that lets
# one extra run at a time go (some compare with the host's free disk space
# and memory, others make whole prefixes).
set -u
build=$(cd "$1" && pwd)
filter=${2:-*}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
arch=$(zunda_arch_of "$build/Zunda.dll") || { echo "FAILED: no Zunda.dll in $build"; exit 1; }
zunda_set_arch "$arch"
label="$arch-bit DLL"

zunda_prefix "$build/wine" || exit 1
dest="$ZUNDA_C/zunda"
rm -rf "$dest"
zunda_test_program "$build"
mkdir -p "$dest/scripts"
for f in "$root"/tests/*/*.js "$root"/tests/*/*.vbs "$root"/tests/*/*.wsf; do
    [ -f "$f" ] && cp "$f" "$dest/scripts/"
done
[ -d "$build/test-data" ] && cp -r "$build/test-data/." "$dest/"

failed=0
if ! zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll'; then
    echo "FAILED: regsvr32 Zunda.dll ($label)"
    echo "== $label: registration FAILED"
    exit 1
fi

echo "== win_tests.exe ($label)"
gtest_log=$(mktemp)
zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter="$filter" 2>&1 | tr -d '\r' | tee "$gtest_log"
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "FAILED: win_tests.exe ($label)"; failed=1; }
cxx_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$gtest_log" | tail -1)
cxx_failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$gtest_log" | tail -1)
cxx_skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?\..*/\1/p' "$gtest_log" | tail -1)
rm -f "$gtest_log"

scripts_passed=0 scripts_failed=0 hooks_passed=0 hooks_failed=0 hooks_skipped=0
if [ "$filter" = "*" ]; then
    for f in "$dest"/scripts/*; do
        [ -f "$f" ] || continue
        name=$(basename "$f")
        if zunda_cscript "$name"; then
            echo "ok: $name"; scripts_passed=$((scripts_passed + 1))
        else
            failed=1; scripts_failed=$((scripts_failed + 1))
        fi
    done
    # Further runs in other configurations (Windows versions, locales, fixtures).
    for x in "$root"/tests/*/wine-*.sh; do
        [ -f "$x" ] || continue
        hook="$(basename "$(dirname "$x")")/$(basename "$x")"
        echo "== $hook ($label)"
        if [ -n "${ZUNDA_HOOK_LOCK:-}" ]; then
            flock "$ZUNDA_HOOK_LOCK" bash "$x" "$build"
        else
            bash "$x" "$build"
        fi
        case $? in
            0) hooks_passed=$((hooks_passed + 1)) ;;
            77) echo "skipped: $hook does not apply to the $label"; hooks_skipped=$((hooks_skipped + 1)) ;;
            *) echo "FAILED: $hook ($label)"; failed=1; hooks_failed=$((hooks_failed + 1)) ;;
        esac
    done
fi
zunda_wine_wait
summary="== $label: win_tests.exe ${cxx_passed:-0} passed, ${cxx_failed:-0} failed, ${cxx_skipped:-0} skipped"
[ "$filter" = "*" ] && summary="$summary; scripts $scripts_passed passed, $scripts_failed failed; extra runs $hooks_passed passed, $hooks_failed failed, $hooks_skipped skipped"
[ $failed -eq 0 ] || summary="$summary (FAILED)"
echo "$summary"
exit $failed
