#!/usr/bin/env bash
# Compares the network objects with the host: the MAC address of LANA 0
# with the interfaces' addresses (/sys/class/net), and the local addresses
# with the host's own interface addresses. The machine's own name is looked
# up only when the host's files know it, so nothing leaves the machine.
# Then the protocol, client and service fixtures of Windows 9x, NT and 2000,
# each read under its Windows version; they are removed again afterwards.
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
status=$?

# Protocols, clients and services: one fixture per registry layout, all
# loaded at once; each Windows version must read only its own.
classes='HKLM\SYSTEM\CurrentControlSet\Control\Class'
network='HKLM\SYSTEM\CurrentControlSet\Control\Network'
nine='HKLM\SYSTEM\CurrentControlSet\Services\Class'
trans='{4D36E975-E325-11CE-BFC1-08002BE10318}'
client='{4D36E973-E325-11CE-BFC1-08002BE10318}'
service='{4D36E974-E325-11CE-BFC1-08002BE10318}'
appkey='HKCU\Software\Wine\AppDefaults\win_tests.exe'
cleanup() {
    for k in "$classes\\$trans" "$classes\\$client" "$classes\\$service" "$network\\$trans" "$network\\$client" \
             "$network\\$service" "$nine\\$trans" "$nine\\$client" "$nine\\$service" "$nine\\NetTrans" \
             "$nine\\NetClient" "$nine\\NetService" "$appkey"; do
        zunda_wine zunda reg delete "$k" /f >/dev/null 2>&1
    done
}
trap cleanup EXIT
H='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet'
{
    printf 'REGEDIT4\r\n\r\n'
    # Windows NT 4 and XP: the class keys, "DriverDesc" per component.
    printf '[%s]\r\n"Class"="NetTrans"\r\n\r\n' "$H\\Control\\Class\\$trans"
    printf '[%s]\r\n"DriverDesc"="TCP/IP (class key)"\r\n\r\n' "$H\\Control\\Class\\$trans\\0000"
    printf '[%s]\r\n"DriverDesc"="NWLink IPX/SPX (class key)"\r\n\r\n' "$H\\Control\\Class\\$trans\\0001"
    printf '[%s]\r\n"DriverDesc"="TCP/IP (class key)"\r\n\r\n' "$H\\Control\\Class\\$trans\\0002"
    printf '[%s]\r\n"ComponentId"="ms_netbt"\r\n\r\n' "$H\\Control\\Class\\$trans\\0003"
    printf '[%s]\r\n"Class"="NETCLIENT"\r\n\r\n' "$H\\Control\\Class\\$client"
    printf '[%s]\r\n"DriverDesc"="Client for Microsoft Networks (class key)"\r\n\r\n' "$H\\Control\\Class\\$client\\0000"
    printf '[%s]\r\n"Class"="NetService"\r\n\r\n' "$H\\Control\\Class\\$service"
    printf '[%s]\r\n"DriverDesc"="File and Printer Sharing (class key)"\r\n\r\n' "$H\\Control\\Class\\$service\\0000"
    printf '[%s]\r\n"DriverDesc"="QoS Packet Scheduler (class key)"\r\n\r\n' "$H\\Control\\Class\\$service\\0001"
    # Windows 2000: the network control key, "Description" per component.
    printf '[%s]\r\n"Class"="NetTrans"\r\n\r\n' "$H\\Control\\Network\\$trans"
    printf '[%s]\r\n"Description"="TCP/IP (network key)"\r\n\r\n' "$H\\Control\\Network\\$trans\\{A1}"
    printf '[%s]\r\n"Class"="NetClient"\r\n\r\n' "$H\\Control\\Network\\$client"
    printf '[%s]\r\n"Description"="Client for Microsoft Networks (network key)"\r\n\r\n' "$H\\Control\\Network\\$client\\{B1}"
    printf '[%s]\r\n"Class"="NetService"\r\n\r\n' "$H\\Control\\Network\\$service"
    # Windows 9x: the class key links to the key of the components.
    for pair in "$trans NetTrans" "$client NetClient" "$service NetService"; do
        set -- $pair
        printf '[%s]\r\n"Class"="%s"\r\n"Link"="%s"\r\n\r\n' "$H\\Services\\Class\\$1" "$2" "$2"
    done
    printf '[%s]\r\n"DriverDesc"="TCP/IP (9x)"\r\n\r\n' "$H\\Services\\Class\\NetTrans\\0000"
    printf '[%s]\r\n"DriverDesc"="NetBEUI (9x)"\r\n\r\n' "$H\\Services\\Class\\NetTrans\\0001"
    printf '[%s]\r\n"DriverDesc"="Client for NetWare Networks (9x)"\r\n\r\n' "$H\\Services\\Class\\NetClient\\0000"
} > "$ZUNDA_C/zunda/net-fixtures.reg"
zunda_wine zunda reg import 'C:\zunda\net-fixtures.reg' >/dev/null 2>&1 || { echo "cannot import the network fixtures"; exit 1; }

# version | protocols | clients | services
while IFS='#' read -r version protocols clients services; do
    zunda_wine zunda reg add "$appkey" /v Version /d "$version" /f >/dev/null 2>&1 || { echo "cannot set $version"; exit 1; }
    echo "-- $version"
    if ! ZUNDA_EXPECT_PROTOCOLS="$protocols" ZUNDA_EXPECT_CLIENTS="$clients" ZUNDA_EXPECT_SERVICES="$services" \
        zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 \
            --gtest_filter='MxNetWorkTest.ComponentsComeFrom*:MxNetWorkTest.Adapters*'; then
        echo "FAILED under $version"
        status=1
    fi
done <<'LIST'
win98#TCP/IP (9x)|NetBEUI (9x)#Client for NetWare Networks (9x)#
nt40#TCP/IP (class key)|NWLink IPX/SPX (class key)#Client for Microsoft Networks (class key)#File and Printer Sharing (class key)|QoS Packet Scheduler (class key)
win2k#TCP/IP (network key)#Client for Microsoft Networks (network key)#
winxp#TCP/IP (class key)|NWLink IPX/SPX (class key)#Client for Microsoft Networks (class key)#File and Printer Sharing (class key)|QoS Packet Scheduler (class key)
LIST
exit $status
