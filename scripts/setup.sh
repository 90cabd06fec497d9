#!/usr/bin/env bash
# Installs what the build and the tests need (Debian, as root), only what is
# missing: the toolchains, Wine (64-bit, and the 32-bit runtime from the i386
# architecture), GoogleTest and the tools of the codec tests.
set -euo pipefail

packages=(
    cmake ninja-build g++ python3
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
    wine wine64 libwine-dev
    googletest
    # codec interoperability tests, benchmark and fuzzing
    liblhasa-dev lhasa zlib1g-dev clang libclang-rt-14-dev
    jlha-utils
    # static checks and the reference's browser check
    clang-tidy cppcheck chromium
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# The 32-bit Wine runtime, which runs the shipping 32-bit DLL. Its package
# index has been broken on the mirror before: a failure here is reported and
# leaves the rest of the set-up alone; test.sh then skips the 32-bit runtime
# tests and says so. ZUNDA_NO_WINE32=1 leaves it out.
# Why it failed is kept in /tmp/zunda-wine32.reason for test.sh's skip line.
wine32_reason=/tmp/zunda-wine32.reason
setup_wine32() {
    rm -f "$wine32_reason"
    [ "${ZUNDA_NO_WINE32:-}" = 1 ] && return 0
    installed wine32:i386 && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "installing it needs root" >"$wine32_reason"
        echo "setup: the 32-bit Wine runtime wine32:i386 is missing and installing it needs root" >&2
        return 1
    fi
    echo "setup: installing the 32-bit Wine runtime wine32:i386"
    export DEBIAN_FRONTEND=noninteractive
    local log=/tmp/zunda-apt-i386.log
    : >"$log"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        if ! dpkg --add-architecture i386 >"$log" 2>&1; then
            echo "dpkg --add-architecture i386 failed, see $log" >"$wine32_reason"
            echo "setup: dpkg --add-architecture i386 failed (see $log)" >&2
            return 1
        fi
    fi
    if ! apt-get install -y -q --no-install-recommends wine32:i386 >>"$log" 2>&1; then
        # A newly added architecture has no package index yet.
        apt-get update -q >>"$log" 2>&1 ||
            echo "setup: apt-get update reported errors (see $log)" >&2
        if ! apt-get install -y -q --no-install-recommends wine32:i386 >>"$log" 2>&1; then
            echo "setup: could not install wine32:i386 (see $log):" >&2
            grep -E '^(E|W):' "$log" | tail -5 >&2
            echo "apt-get could not install it: $(grep -E '^E:' "$log" | tail -1 | cut -c1-160), see $log" \
                >"$wine32_reason"
            return 1
        fi
    fi
    if ! installed wine32:i386; then
        echo "it is still not installed after apt-get, see $log" >"$wine32_reason"
        echo "setup: wine32:i386 is still not installed (see $log)" >&2
        return 1
    fi
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    setup_wine32 || echo "setup: continuing without the 32-bit Wine runtime" >&2
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! apt-get install -y -q --no-install-recommends "${missing[@]}" >/tmp/zunda-apt.log 2>&1; then
    apt-get update -q >>/tmp/zunda-apt.log 2>&1 || true
    if ! apt-get install -y -q --no-install-recommends "${missing[@]}" >>/tmp/zunda-apt.log 2>&1; then
        echo "setup: could not install: ${missing[*]} (see /tmp/zunda-apt.log)" >&2
        tail -20 /tmp/zunda-apt.log >&2
        exit 1
    fi
fi
for p in "${missing[@]}"; do
    installed "$p" || { echo "setup: package $p is still missing" >&2; exit 1; }
done
setup_wine32 || echo "setup: continuing without the 32-bit Wine runtime" >&2
exit 0
