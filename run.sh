#!/usr/bin/env bash
# The main job: build Zunda.dll, register both builds side by side in the
# project's Wine prefix, as on 64-bit Windows, and run the example scripts
# through each: first the shipping 32-bit DLL (the 32-bit script host of
# C:\windows\syswow64), then the 64-bit one. The examples use the library from
# JScript: text, dates, lists and files, then a short inventory of the machine,
# then the machine report (JSON and HTML, copied to build/report/).
# Without the 32-bit Wine runtime (or with ZUNDA_NO_WINE32=1) only the 64-bit
# DLL runs, and the output says so.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh win32 win64 >/dev/null
. tests/harness/wine.sh
zunda_prefix build/run
mkdir -p "$ZUNDA_C/zunda" "$ZUNDA_C/zunda32" "$ZUNDA_C/zunda64"
cp examples/*.js "$ZUNDA_C/zunda/"
cp build/win32/Zunda.dll "$ZUNDA_C/zunda32/"
cp build/win64/Zunda.dll "$ZUNDA_C/zunda64/"

examples() {  # <32|64>
    zunda_set_arch "$1"
    zunda_wine zunda regsvr32 /s "C:\\zunda$1\\Zunda.dll"
    zunda_wine zunda cscript //nologo 'C:\zunda\example.js'
    echo
    zunda_wine zunda cscript //nologo 'C:\zunda\inventory.js'
    echo
    zunda_wine zunda cscript //nologo 'C:\zunda\report.js' "C:\\zunda\\report$1"
    mkdir -p build/report
    cp "$ZUNDA_C/zunda/report$1.json" "$ZUNDA_C/zunda/report$1.html" build/report/
}

missing=$(zunda_wine32_missing)
if [ -z "$missing" ]; then
    echo "== the 32-bit DLL (the shipping build), 32-bit script host"
    examples 32
else
    echo "SKIPPED: 32-bit runtime examples ($missing): the examples run through the 64-bit DLL only"
fi
echo
echo "== the 64-bit DLL, 64-bit script host"
examples 64
zunda_wine_wait
echo
echo "machine reports (JSON and HTML): build/report/"
