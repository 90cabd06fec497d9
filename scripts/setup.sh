#!/usr/bin/env bash
# Installs what the build and the tests need (Debian, as root), only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ python3
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
    wine wine64 libwine-dev
    googletest
    # codec interoperability tests, benchmark and fuzzing
    liblhasa-dev lhasa zlib1g-dev clang libclang-rt-14-dev
    jlha-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

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
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        { echo "setup: package $p is still missing" >&2; exit 1; }
done
