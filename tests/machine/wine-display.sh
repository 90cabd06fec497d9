#!/usr/bin/env bash
# Runs the display tests as a Windows 98 program (HKCU\Software\Wine\
# AppDefaults\win_tests.exe, value Version), so the adapter details come from
# the Windows 9x family's registry keys. The default is restored afterwards.
# Usage: wine-display.sh <win64-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

key='HKCU\Software\Wine\AppDefaults\win_tests.exe'
restore() { zunda_wine zunda reg delete "$key" /f >/dev/null 2>&1; }
trap restore EXIT
zunda_wine zunda reg add "$key" /v Version /d win98 /f >/dev/null 2>&1 || { echo "cannot set win98"; exit 1; }
ZUNDA_EXPECT_NT=0 zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter='MxDisplay*'
