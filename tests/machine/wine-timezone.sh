#!/usr/bin/env bash
# Runs the time zone tests once per zone, with TZ= for the test program, and
# hands it what Python's zoneinfo says about that zone for this year and the
# next: the wall-clock times at which daylight and standard time begin (as
# automation dates, the clock reading just before the change, which is how
# the system states its rules) and the three biases in minutes.
# Usage: wine-timezone.sh <win64-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

expect() {  # zone year -> "daylightStart standardStart bias daylightBias standardBias"
    python3 - "$1" "$2" <<'PY'
import sys
from datetime import datetime, timedelta, timezone
from zoneinfo import ZoneInfo

zone, year = ZoneInfo(sys.argv[1]), int(sys.argv[2])
epoch = datetime(1899, 12, 30)
def minutes(d): return int(d.total_seconds() // 60)
def at(t): return t.astimezone(zone)

# Every change of offset within the year, found hour by hour, then to the minute.
changes = []
t = datetime(year, 1, 1, tzinfo=timezone.utc) - timedelta(days=1)
end = datetime(year + 1, 1, 1, tzinfo=timezone.utc) + timedelta(days=1)
while t < end:
    u = t + timedelta(hours=1)
    if at(t).utcoffset() != at(u).utcoffset():
        lo, hi = t, u
        while hi - lo > timedelta(minutes=1):
            mid = lo + (hi - lo) / 2
            mid = mid.replace(second=0, microsecond=0)
            if mid <= lo: mid = lo + timedelta(minutes=1)
            if at(mid).utcoffset() == at(lo).utcoffset(): lo = mid
            else: hi = mid
        before = at(lo)
        wall = (hi + before.utcoffset()).replace(tzinfo=None)   # the clock just before the change
        if wall.year == year:
            changes.append((wall, at(hi).dst() != timedelta(0)))
    t = u

daylight = [w for w, into in changes if into]
standard = [w for w, into in changes if not into]
# The standard offset: an instant of the year without daylight time.
probe = datetime(year, 1, 15, tzinfo=timezone.utc)
if at(probe).dst(): probe = datetime(year, 7, 15, tzinfo=timezone.utc)
std = at(probe).utcoffset()
bias = -minutes(std)
if daylight and standard:
    dst_offset = std + max(at(datetime(year, m, 15, tzinfo=timezone.utc)).dst() for m in range(1, 13))
    days = lambda w: (w - epoch).total_seconds() / 86400
    print("%.9f %.9f %d %d %d" % (days(daylight[0]), days(standard[0]), bias, -minutes(dst_offset), bias))
else:
    print("0 0 %d 0 0" % bias)
PY
}

year=$(date +%Y)
failed=0
for zone in Europe/Berlin America/New_York Australia/Sydney Asia/Tokyo Asia/Kolkata UTC; do
    this=$(expect "$zone" "$year") && next=$(expect "$zone" $((year + 1))) || { echo "zoneinfo failed for $zone"; exit 1; }
    echo "-- $zone: $this / $next"
    if ! TZ="$zone" ZUNDA_TZ_THIS_YEAR="$this" ZUNDA_TZ_NEXT_YEAR="$next" \
        zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter='MxTimeZone*'; then
        echo "FAILED in $zone"
        failed=1
    fi
done
exit $failed
