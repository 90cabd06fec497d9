#!/usr/bin/env bash
# The string list and the audit log under a German system locale (code page
# 1252, German date and time formats in the user's settings): texts with
# umlauts, locale-aware comparison, and the date and time columns.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
# The locale is taken when the prefix's server starts: let the running one end first.
zunda_wine_wait
export LANG=de_DE.UTF-8
# Written after LANG is chosen (Wine resets them when it changes); they are
# honoured even where the host lacks the German locale itself.
# The previous values are put back at the end, for the runs that follow.
key='HKCU\Control Panel\International'
declare -A before
for v in "sShortDate dd.MM.yyyy" "sTimeFormat HH:mm:ss" "sDate ." "sTime :"; do
    set -- $v
    before[$1]=$(zunda_wine zunda reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_SZ *//p")
    zunda_wine zunda reg add "$key" /v "$1" /d "$2" /f >/dev/null 2>&1
done
out=$(zunda_wine zunda 'C:\zunda\win_tests.exe' \
    --gtest_filter='MxStringlist.*:AuditLog.*:AuditLogGerman.*' 2>&1)
rc=$?
for name in "${!before[@]}"; do
    if [ -n "${before[$name]}" ]; then
        zunda_wine zunda reg add "$key" /v "$name" /d "${before[$name]}" /f >/dev/null 2>&1
    else
        zunda_wine zunda reg delete "$key" /v "$name" /f >/dev/null 2>&1
    fi
done
zunda_wine_wait  # the next run starts its own server with its own locale
echo "$out" | grep -E "AuditLogGerman|PASSED|FAILED|SKIPPED" | grep -v "^\[ RUN"
exit $rc
