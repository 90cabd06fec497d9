#!/usr/bin/env bash
# Device tree fixtures in a prefix of their own: imports the NT and the 9x
# layouts (REGEDIT4 files), exports the keys the walk reads, lets an
# independent reader of the exports work out the records, and runs the
# fixture tests under a Windows version of each family. Parts of the tree are
# volatile in Wine, so the server stays up from the import to the last run.
# Usage: wine-devices.sh <win64-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine-devices" || exit 1
zunda_test_program "$build"
"$ZUNDA_WINESERVER" -p30
trap '"$ZUNDA_WINESERVER" -k >/dev/null 2>&1' EXIT

work="$ZUNDA_C/zunda/devices"
rm -rf "$work"
mkdir -p "$work"
cp "$root"/tests/devices/data/devices-*.reg "$work/"
mkdir -p "$ZUNDA_C/zunda/scripts"
cp "$root/tests/devices/devices.vbs" "$ZUNDA_C/zunda/scripts/"
zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll' || { echo "FAILED: regsvr32"; exit 1; }
for f in nt 9x; do
    zunda_wine zunda reg import "C:\\zunda\\devices\\devices-$f.reg" >/dev/null 2>&1 || { echo "FAILED: import $f"; exit 1; }
done
export_key() {  # <key> <file>
    zunda_wine zunda reg export "$1" "C:\\zunda\\devices\\$2" /y >/dev/null 2>&1 || { echo "FAILED: export $1"; exit 1; }
}
export_key 'HKLM\SYSTEM\CurrentControlSet\Enum' enum-nt.reg
export_key 'HKLM\Enum' enum-9x.reg
export_key 'HKLM\SYSTEM\CurrentControlSet\Control\Class' class-nt.reg
export_key 'HKLM\SYSTEM\CurrentControlSet\Services' services.reg
oracle="$root/tests/devices/device_oracle.py"
python3 "$oracle" nt "$work/expect-nt.txt" "$work/enum-nt.reg" "$work/class-nt.reg" "$work/services.reg" || exit 1
python3 "$oracle" 9x "$work/expect-9x.txt" "$work/enum-9x.reg" "$work/services.reg" || exit 1

apps='HKCU\Software\Wine\AppDefaults'
failed=0
for run in "winxp nt" "win98 9x"; do
    set -- $run
    for program in win_tests.exe cscript.exe; do
        zunda_wine zunda reg add "$apps\\$program" /v Version /d "$1" /f >/dev/null 2>&1 || { echo "cannot set $1"; exit 1; }
    done
    echo "-- $1 ($(wc -l < "$work/expect-$2.txt") devices expected)"
    if ! ZUNDA_DEVICE_FAMILY=$2 ZUNDA_DEVICE_EXPECT="C:\\zunda\\devices\\expect-$2.txt" \
        zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter=MxDeviceFixture.*; then
        echo "FAILED under $1"
        failed=1
    fi
    if ! zunda_cscript devices.vbs "$2"; then failed=1; fi
done
for program in win_tests.exe cscript.exe; do zunda_wine zunda reg delete "$apps\\$program" /f >/dev/null 2>&1; done
exit $failed
