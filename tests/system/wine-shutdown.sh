#!/usr/bin/env bash
# Runs MxUtils.Shutdown for real, once, in a throwaway Wine prefix of its own:
# ExitWindowsEx ends every process of that prefix (and only of that prefix).
# Passes when the call reported no failure or the script was ended by it, and
# the prefix's processes are gone afterwards. The prefix is removed again.
# Usage: wine-shutdown.sh <win-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
throwaway="$build/wine-shutdown"
cleanup() {
    # Only ever the throwaway prefix's own server.
    if [ -f "$throwaway/prefix/system.reg" ]; then
        WINEPREFIX="$throwaway/prefix" "$ZUNDA_WINESERVER" -k >/dev/null 2>&1
        WINEPREFIX="$throwaway/prefix" timeout 60 "$ZUNDA_WINESERVER" -w >/dev/null 2>&1
    fi
    case "$throwaway" in "$build"/wine-shutdown) rm -rf -- "$throwaway" ;; esac
}
trap cleanup EXIT
cleanup
zunda_prefix "$throwaway" || exit 1
mkdir -p "$ZUNDA_C/zunda"
cp "$build/Zunda.dll" "$ZUNDA_C/zunda/"
cat > "$ZUNDA_C/zunda/shutdown.js" <<'JS'
var u = new ActiveXObject("Zunda.MxUtils");
u.Shutdown();
WScript.Echo("returned: [" + u.wstrLastErrorMessage + "]");
JS
zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll' || { echo "regsvr32 failed"; exit 1; }
out=$(timeout 120 bash -c '. "$1"; zunda_wine zunda cscript //nologo "C:\\zunda\\shutdown.js"' _ "$root/tests/harness/wine.sh" 2>&1)
rc=$?
echo "shutdown script (exit $rc): ${out:-<ended before it could print>}"
if [ $rc -eq 124 ]; then echo "FAILED: the script hung"; exit 1; fi
case "$out" in
    *"returned: []"*|"") ;;
    *) echo "FAILED: Shutdown reported a failure"; exit 1 ;;
esac
# Every process of the prefix ends; the server follows.
if ! timeout 60 "$ZUNDA_WINESERVER" -w; then echo "FAILED: the prefix kept running"; exit 1; fi
echo "ok: Shutdown ended the throwaway prefix"
