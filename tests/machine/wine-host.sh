#!/usr/bin/env bash
# Compares the inventory with the host's own figures: processor (cpuinfo and
# the CPUID device), memory (meminfo), drive C: (df of the prefix's C:
# folder), names and up time. The figures are read here, outside Wine, and
# handed to the test program in its environment.
# Usage: wine-host.sh <win-build-dir>
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

field() { grep -m1 "^$1[[:space:]]*:" /proc/cpuinfo | sed 's/^[^:]*:[[:space:]]*//'; }
leaf() {  # leaf number -> "eax ebx ecx edx" in hex, from the CPUID device when readable
    python3 - "$1" <<'PY' 2>/dev/null
import os, struct, sys
fd = os.open('/dev/cpu/0/cpuid', os.O_RDONLY)
print(' '.join('%x' % r for r in struct.unpack('<4I', os.pread(fd, 16, int(sys.argv[1], 0)))))
PY
}
kernel_mhz() {  # the kernel's measured clock: its TSC calibration, else cpuinfo
    local m
    m=$(dmesg 2>/dev/null | sed -n 's/.*tsc: Detected \([0-9.]*\) MHz processor.*/\1/p' | head -1)
    [ -n "$m" ] || m=$(field 'cpu MHz')
    echo "$m"
}

export ZUNDA_HOST_CPU_VENDOR="$(field vendor_id)"
export ZUNDA_HOST_CPU_FAMILY="$(field 'cpu family')"
export ZUNDA_HOST_CPU_MODEL="$(field model)"
export ZUNDA_HOST_CPU_STEPPING="$(field stepping)"
export ZUNDA_HOST_CPU_BRAND="$(field 'model name' | sed 's/[[:space:]]*$//')"
export ZUNDA_HOST_CPU_FLAGS="$(field flags)"
export ZUNDA_HOST_CPU_MHZ="$(kernel_mhz)"
export ZUNDA_HOST_CPUID_LEAF0="$(leaf 0)"
export ZUNDA_HOST_CPUID_LEAF1="$(leaf 1)"
if [ -z "$ZUNDA_HOST_CPUID_LEAF1" ]; then
    # Without the device (not root): the leaves from cpuinfo's own fields cannot
    # be rebuilt, so the raw comparisons use what the test program reads itself.
    echo "note: /dev/cpu/0/cpuid not readable; raw leaf checks are weaker" >&2
fi
export ZUNDA_HOST_MEM_TOTAL=$(( $(awk '/^MemTotal:/ {print $2}' /proc/meminfo) * 1024 ))
export ZUNDA_HOST_MEM_AVAILABLE=$(( $(awk '/^MemAvailable:/ {print $2}' /proc/meminfo) * 1024 ))
read -r _ ZUNDA_HOST_DISK_TOTAL _ ZUNDA_HOST_DISK_AVAILABLE _ < <(df -B1 --output=source,size,used,avail,target "$ZUNDA_C" | tail -1)
export ZUNDA_HOST_DISK_TOTAL ZUNDA_HOST_DISK_AVAILABLE
export ZUNDA_HOST_HOSTNAME="$(hostname)"
export ZUNDA_HOST_USER="$(id -un)"
export ZUNDA_HOST_UPTIME="$(cut -d' ' -f1 /proc/uptime)"
export ZUNDA_HOST_BOOT_DATE="$(python3 -c '
import datetime
btime = int([l for l in open("/proc/stat") if l.startswith("btime")][0].split()[1])
boot = datetime.datetime.fromtimestamp(btime)
print((boot - datetime.datetime(1899, 12, 30)).total_seconds() / 86400.0)')"

zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_filter='MachineHost.*'
