#!/usr/bin/env bash
# Real printers in a prefix of their own: Wine's PostScript driver with a
# small PPD file on port FILE:, one printer with one port and one with two,
# the default set in the profile, the device mode stored value by value. The
# printer list is built once per process, so each family gets its own run.
# Usage: wine-printers.sh <win64-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
rm -rf "$build/wine-printers"
zunda_prefix "$build/wine-printers" || exit 1
zunda_test_program "$build"
mkdir -p "$ZUNDA_C/zunda/scripts"
cp "$root/tests/devices/data/zunda-test.ppd" "$ZUNDA_C/zunda/"
cp "$root/tests/devices/printer.js" "$ZUNDA_C/zunda/scripts/"
zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll' || { echo "FAILED: regsvr32"; exit 1; }
if ! ZUNDA_PRINTER_SETUP='C:\zunda\zunda-test.ppd' \
    zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter='PrinterSetup.*'; then
    echo "FAILED: printer set-up"
    exit 1
fi

apps='HKCU\Software\Wine\AppDefaults'
failed=0
for run in "winxp nt" "win98 9x"; do
    set -- $run
    for program in win_tests.exe cscript.exe; do
        zunda_wine zunda reg add "$apps\\$program" /v Version /d "$1" /f >/dev/null 2>&1 || { echo "cannot set $1"; exit 1; }
    done
    echo "-- $1"
    if ! ZUNDA_PRINTER_FIXTURE=$2 zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter='MxPrinter*'; then
        echo "FAILED under $1"
        failed=1
    fi
    if ! zunda_cscript printer.js "$2"; then failed=1; fi
done
for program in win_tests.exe cscript.exe; do zunda_wine zunda reg delete "$apps\\$program" /f >/dev/null 2>&1; done
zunda_wine_wait
exit $failed
