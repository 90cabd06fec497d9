#!/usr/bin/env bash
# Compares the network objects with the host: the MAC address of LANA 0
# with the interfaces' addresses (/sys/class/net), and the local addresses
# with the host's own interface addresses. The machine's own name is looked
# up only when the host's files know it, so nothing leaves the machine.
# Usage: wine-network.sh <win64-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

macs=""
for f in /sys/class/net/*/address; do
    [ -r "$f" ] || continue
    a=$(tr 'a-f:' 'A-F-' < "$f")
    [ "$a" = "00-00-00-00-00-00" ] || macs="$macs $a"
done
export ZUNDA_HOST_MACS="$macs"

name=$(hostname)
if awk -v n="$name" '!/^[[:space:]]*#/ { for (i = 2; i <= NF; i++) if (tolower($i) == tolower(n)) found = 1 } END { exit !found }' /etc/hosts; then
    export ZUNDA_OWN_NAME_LOCAL=1
    # Wine answers the machine's own name with the addresses of the host's
    # interfaces other than loopback (no resolver is asked).
    export ZUNDA_HOST_OWN_ADDRESSES="$(ip -4 -o addr show 2>/dev/null | awk '{ split($4, a, "/"); if (a[1] !~ /^127\./) print a[1] }' | tr '\n' ' ')"
else
    echo "note: $name is not in /etc/hosts; the local-address checks are skipped"
fi

zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter='MxNetWorkTest.LanaZero*:MxNetWorkHost.*'
