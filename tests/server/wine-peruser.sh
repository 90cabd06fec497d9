#!/usr/bin/env bash
# Per-user registration, as a user without administrator rights does it:
# regsvr32 /n /i:user writes every class, ProgID and the type library below
# HKEY_CURRENT_USER\Software\Classes and nothing machine-wide; a script
# checks every class's entries as a client reads them; regsvr32 /u /n /i:user leaves the registry exactly as
# it was before (compared as registry exports).
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/peruser-wine" || exit 1
dest="$ZUNDA_C/peruser"
rm -rf "$dest"
mkdir -p "$dest/scripts"
cp "$build/Zunda.dll" "$dest/"
cp "$root/tests/server/per-user/create.js" "$dest/scripts/"
ZUNDA_C_SCRIPTS="$dest/scripts"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# A registry subtree as text ("" when the key does not exist).
export_key() {
    local out="$dest/export.reg"
    rm -f "$out"
    zunda_wine peruser reg export "$1" 'C:\peruser\export.reg' >/dev/null 2>&1
    [ -f "$out" ] && iconv -f UTF-16LE -t UTF-8 "$out" | tr -d '\r' | grep -v '^Windows Registry Editor' || true
}
user_before=$(export_key 'HKCU\Software\Classes')
machine_before=$(export_key 'HKLM\Software\Classes')

zunda_wine peruser regsvr32 /s /n /i:user 'C:\peruser\Zunda.dll' || fail "regsvr32 /n /i:user"
user_after=$(export_key 'HKCU\Software\Classes')
machine_after=$(export_key 'HKLM\Software\Classes')
# Nothing of Zunda machine-wide (Wine registers some system type libraries
# of its own on first use, so the machine-wide tree is searched, not compared).
zunda_keys() { printf '%s\n' "$1" | grep -icE 'Zunda\.|778AA618-11D3-4B05-BD00-10C330340EF1' || true; }
[ "$(zunda_keys "$machine_after")" = "$(zunda_keys "$machine_before")" ] ||
    fail "per-user registration wrote machine-wide entries"
classes=$(printf '%s\n' "$user_after" | sed -n 's/^\[HKEY_CURRENT_USER\\Software\\Classes\\Zunda\.\([A-Za-z]*\)\]$/\1/p' | sort -u)
count=$(printf '%s\n' "$classes" | grep -c . || true)
[ "$count" -ge 12 ] || fail "only $count ProgIDs registered per user"
printf '%s\n' "$user_after" | grep -qi 'TypeLib\\{778AA618-11D3-4B05-BD00-10C330340EF1}\\1.0\\409\\win' ||
    fail "the type library is not registered per user"

# Every class's entries, read the way a client resolves them.
out=$(zunda_wine peruser cscript //nologo 'C:\peruser\scripts\create.js' 'C:\peruser\Zunda.dll' $classes 2>&1)
rc=$?
out=${out//$'\r'/}
if [ $rc -ne 0 ] || [ "$(printf '%s\n' "$out" | tail -n 1)" != end ]; then
    fail "create.js (exit $rc)"
    printf '%s\n' "$out" | sed 's/^/    /'
fi

zunda_wine peruser regsvr32 /s /u /n /i:user 'C:\peruser\Zunda.dll' || fail "regsvr32 /u /n /i:user"
user_final=$(export_key 'HKCU\Software\Classes')
# Nothing of Zunda is left for the user, and no key that registration made
# (Wine registers some system entries of its own on first use, so the trees
# are searched rather than compared line by line).
[ "$(zunda_keys "$user_final")" = "$(zunda_keys "$user_before")" ] ||
    fail "per-user unregistration left Zunda entries behind"
[ -n "$user_before" ] || [ -z "$user_final" ] || fail "per-user unregistration left the Classes key behind"
machine_final=$(export_key 'HKLM\Software\Classes')
[ "$(zunda_keys "$machine_final")" = "$(zunda_keys "$machine_before")" ] || fail "machine-wide Zunda entries changed"
zunda_wine_wait
# A prefix is over a gigabyte: this run's own is not kept.
rm -rf -- "$build/peruser-wine"
[ $failed -eq 0 ] && echo "ok: per-user registration of $count classes, read back as a client does, removed without a trace"
exit $failed
