#!/usr/bin/env bash
# The date members under two user locales: German with a day-first short
# date (dd.MM.yyyy) and US English with a month-first one (M/d/yyyy). Wine
# takes the locale from LANG and rewrites the user's International settings
# when LANG changes, so the settings are written after choosing LANG, in
# every run. The user's settings are restored afterwards.
# Usage: wine-date-locales.sh <win-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1

zunda_test_program "$build"
dest="$ZUNDA_C/zunda"
mkdir -p "$dest/scripts"
cp "$root/tests/text/dateutils.vbs" "$dest/scripts/"
key='HKCU\Control Panel\International'
saved='C:\zunda\international-saved.reg'
zunda_wine zunda reg export "$key" "$saved" /y >/dev/null 2>&1
zunda_wine zunda regsvr32 /s 'C:\zunda\Zunda.dll' || { echo "regsvr32 failed"; exit 1; }

failed=0
run_locale() {
    local lang=$1 shortdate=$2 sep=$3 order=$4
    echo "-- LANG=$lang sShortDate=$shortdate"
    # LC_* would override LANG for Wine.
    unset LC_ALL LC_CTYPE LC_TIME LC_NUMERIC LC_MESSAGES LC_COLLATE LC_MONETARY
    export LANG=$lang
    zunda_wine zunda reg add "$key" /v sShortDate /t REG_SZ /d "$shortdate" /f >/dev/null
    zunda_wine zunda reg add "$key" /v sDate /t REG_SZ /d "$sep" /f >/dev/null
    if ! ZUNDA_EXPECT_SHORTDATE=$shortdate zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 \
            --gtest_filter='DateUtils*'; then
        echo "FAILED: date tests under $lang"
        failed=1
    fi
    # zunda_cscript names the script and its argument when it fails.
    if zunda_cscript dateutils.vbs "$order"; then echo "ok: dateutils.vbs $order"; else failed=1; fi
    return $failed
}

(run_locale de_DE.UTF-8 dd.MM.yyyy . dmy) || failed=1
(run_locale en_US.UTF-8 M/d/yyyy / mdy) || failed=1

zunda_wine zunda reg import "$saved" >/dev/null 2>&1
exit $failed
