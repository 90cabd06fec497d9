#!/usr/bin/env bash
# The main job: build Zunda.dll, register it in the project's Wine prefix and
# run the example scripts, which use the library from JScript: text, dates,
# lists and files, then a short inventory of the machine.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh win32 win64 >/dev/null
. tests/harness/wine.sh
zunda_prefix build/run
mkdir -p "$ZUNDA_C/zunda"
cp build/win64/Zunda.dll examples/*.js "$ZUNDA_C/zunda/"
zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll'
zunda_wine zunda cscript //nologo 'C:\zunda\example.js'
echo
zunda_wine zunda cscript //nologo 'C:\zunda\inventory.js'
zunda_wine_wait
