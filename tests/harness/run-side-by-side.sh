#!/usr/bin/env bash
# Both DLLs registered side by side in one prefix, as on 64-bit Windows: the
# 32-bit build (C:\zunda32) with the 32-bit regsvr32, its class entries in
# the 32-bit registry view; the 64-bit build (C:\zunda64) with the 64-bit one.
# The 32-bit and the 64-bit script host each create every registered class
# through its own build. Then one build is unregistered: the other host still
# creates every class, the unregistered one none; the same the other way
# round, and the kept build keeps its interface entries in its registry view;
# after both are unregistered no host creates anything and no ProgID
# or type library entry is left.
# Usage: run-side-by-side.sh <win32-build-dir> <win64-build-dir> <work-dir>
set -u
b32=$(cd "$1" && pwd)
b64=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
work=$3
mkdir -p "$work"
work=$(cd "$work" && pwd)
# A fresh prefix: what an earlier run left behind must not hide a leftover key.
if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" "$ZUNDA_WINESERVER" -k >/dev/null 2>&1
    rm -rf -- "$work/prefix"
fi
zunda_set_arch 64
zunda_prefix "$work" || exit 1
mkdir -p "$ZUNDA_C/zunda32" "$ZUNDA_C/zunda64" "$ZUNDA_C/zunda/scripts"
cp "$b32/Zunda.dll" "$ZUNDA_C/zunda32/"
cp "$b64/Zunda.dll" "$ZUNDA_C/zunda64/"
cp "$root/tests/server/side-by-side/classes.js" "$ZUNDA_C/zunda/scripts/"
all=$(sed -n 's/^ *coclass \(Mx[A-Za-z]*\).*/\1/p' "$root/server/Zunda.idl" | tr '\n' ' ')

failed=0
check() { [ "$1" = ok ] || { echo "FAILED: $2"; failed=1; }; }
dll() { echo "C:\\zunda$1\\Zunda.dll"; }
regsvr() {  # <32|64> [/u]
    local arch=$1; shift
    (zunda_set_arch "$arch" && zunda_wine zunda regsvr32 /s "$@" "$(dll "$arch")")
}
# host <32|64> <mode> [classes...]: runs classes.js in that script host and
# prints its last "classes:" or "created:" list; the begin/end protocol of the
# script clients decides.
host() {
    local arch=$1 mode=$2; shift 2
    local out rc
    out=$(zunda_set_arch "$arch" && zunda_wine zunda cscript //nologo 'C:\zunda\scripts\classes.js' \
        "$mode" "$(dll "$arch")" "$@" 2>&1)
    rc=$?
    out=${out//$'\r'/}
    if [ $rc -ne 0 ] || [ "$(printf '%s\n' "$out" | tail -n 1)" != end ]; then
        echo "FAILED: $arch-bit script host, $mode (exit $rc)" >&2
        printf '%s\n' "$out" | grep -vx -e begin -e end | sed 's/^/    /' >&2
        return 1
    fi
    printf '%s\n' "$out" | sed -n 's/^\(classes\|created\): *//p'
}

regsvr 32 && regsvr 64 || { echo "FAILED: regsvr32 of both builds"; exit 1; }
classes=$(host 64 list $all) || exit 1
echo "registered classes: $classes"
case " $classes " in *" MxStrUtils "*) ;; *) echo "FAILED: the registered classes lack MxStrUtils"; exit 1 ;; esac
created32=$(host 32 registered $classes) && created64=$(host 64 registered $classes) ||
    { echo "FAILED: both builds registered"; exit 1; }
echo "created by the 32-bit host: $created32"
echo "created by the 64-bit host: $created64"
[ "$created32" = "$created64" ] && check ok || check no "the two hosts created different classes"

# interfaces <32|64>: how many interface entries of the library's type
# library the registry view of that bitness holds (read from the prefix's
# registry file once its server has written it).
interfaces() {
    zunda_wine_wait
    python3 - "$WINEPREFIX/system.reg" "$1" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="latin-1").read()
view32 = sys.argv[2] == "32"
count = 0
for block in re.split(r"\n(?=\[)", text):
    m = re.match(r"\[Software\\\\Classes\\\\(Wow6432Node\\\\)?Interface\\\\\{[^}]*\}\\\\TypeLib\]", block)
    if m and bool(m.group(1)) == view32 and "{778AA618-11D3-4B05-BD00-10C330340EF1}" in block:
        count += 1
print(count)
PY
}

# pair <unregistered> <still registered>
pair() {
    local gone=$1 kept=$2 created
    echo "-- regsvr32 /u of the $gone-bit DLL"
    regsvr "$gone" /u || { echo "FAILED: regsvr32 /u of the $gone-bit DLL"; failed=1; }
    if created=$(host "$kept" registered $classes); then
        [ "$created" = "$created64" ] && check ok ||
            check no "after /u of the $gone-bit DLL the $kept-bit host created [$created], before [$created64]"
    else
        check no "the $kept-bit DLL after /u of the $gone-bit DLL"
    fi
    host "$gone" unregistered $classes >/dev/null && check ok || check no "the $gone-bit DLL after its /u"
    # The interface entries (for calls across apartments) of the kept build stay.
    local kept_ifs gone_ifs
    kept_ifs=$(interfaces "$kept") gone_ifs=$(interfaces "$gone")
    [ "$kept_ifs" -gt 0 ] && [ "$gone_ifs" -eq 0 ] && check ok ||
        check no "interface entries after /u of the $gone-bit DLL: $kept_ifs in the $kept-bit view, $gone_ifs in the $gone-bit view"
    regsvr "$gone" || { echo "FAILED: registering the $gone-bit DLL again"; failed=1; }
}
pair 64 32
pair 32 64

echo "-- regsvr32 /u of both"
regsvr 32 /u && regsvr 64 /u || { echo "FAILED: regsvr32 /u of both"; failed=1; }
host 32 unregistered $classes >/dev/null && check ok || check no "the 32-bit host after /u of both"
host 64 unregistered $classes >/dev/null && check ok || check no "the 64-bit host after /u of both"
zunda_wine_wait
# Nothing of the library is left in the registry of either view.
left=$(grep -i -e '^\[Software\\\\Classes\\\\Zunda\.' -e '778AA618-11D3-4B05-BD00-10C330340EF1' \
    -e 'zunda32\\\\Zunda.dll' -e 'zunda64\\\\Zunda.dll' "$WINEPREFIX/system.reg" | head -5)
[ -z "$left" ] && check ok || check no "entries left after /u of both: $left"
[ $failed -eq 0 ] && echo "ok: both DLLs side by side"
exit $failed
