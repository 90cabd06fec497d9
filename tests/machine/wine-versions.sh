#!/usr/bin/env bash
# Runs the machine tests under the Windows versions Wine can report for one
# program (HKCU\Software\Wine\AppDefaults\win_tests.exe, value Version) and
# checks the version each of them must be recognised as. The default is
# restored afterwards, also when a run fails. Windows 95 to 2000 only ever ran
# the 32-bit DLL: they run on that one; the 64-bit one gets the 64-bit
# versions and Windows 98 SE, whose BIOS strings come from low memory, which
# a 64-bit process does not have mapped (the read must come back empty).
# Usage: wine-versions.sh <win-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

key='HKCU\Software\Wine\AppDefaults\win_tests.exe'
restore() { zunda_wine zunda reg delete "$key" /f >/dev/null 2>&1; }
trap restore EXIT

filter='MachineVersion.*:MxMachineTest.*:MxUtilsTest.*:MxCPUTest.*:MxMemoryTest.*:MxDriveTest.*:MxDriveRecordTest.*'
failed=0
# version  DLLs  TYP_OS  NT  text
while read -r version dlls os nt text; do
    case ",$dlls," in *",${ZUNDA_ARCH:-64},"*) ;; *) continue ;; esac
    zunda_wine zunda reg add "$key" /v Version /d "$version" /f >/dev/null 2>&1 || { echo "cannot set $version"; exit 1; }
    echo "-- $version"
    if ! ZUNDA_EXPECT_OS=$os ZUNDA_EXPECT_NT=$nt ZUNDA_EXPECT_OS_TEXT="$text" \
        zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter="$filter"; then
        echo "FAILED under $version"
        failed=1
    fi
done <<'LIST'
win95 32 1 0 Windows 95
win98 32,64 4 0 Windows 98 SE
winme 32 5 0 Windows ME
nt40 32 7 1 Windows NT, Version 4.x
win2k 32 8 1 Windows 2000
winxp 32 9 1 Windows XP
winxp64 32,64 10 1 Unknown
win7 32,64 10 1 Unknown
win10 32,64 10 1 Unknown
LIST
exit $failed
