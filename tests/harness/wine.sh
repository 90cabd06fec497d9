# Shared Wine set-up for the project's Windows-side runs. Source it, then call
# zunda_prefix <dir> once and zunda_wine <program> [args] for every program.
#
# Safety: Wine maps drive Z: to the host's root folder. The prefix made here
# has that drive removed, every program runs with its current directory on
# the prefix's own C: drive, and HOME/XDG folders (the recycle bin lives there)
# point into the prefix's folder. zunda_wine refuses to run while Z: exists.

#
# Both builds: the prefix is always a 64-bit one (made by wine64, served by
# the 64-bit wineserver) that runs 32-bit programs too. ZUNDA_ARCH (32 or 64)
# says which DLL the current run tests; zunda_set_arch sets it and the loader
# ZUNDA_WINE, and both are exported so that every hook started from a run
# tests the same build. Started on its own, a run takes the architecture of
# the DLL in the folder above its prefix (zunda_prefix <build>/wine).
# With ZUNDA_ARCH=32, the bare system programs (regsvr32, cscript, wscript,
# reg, ...) are the 32-bit ones of C:\windows\syswow64, as a 32-bit
# installer or script host on 64-bit Windows would use them; registry
# fixtures written by reg then land in the 32-bit view, where the 32-bit DLL
# reads them.

ZUNDA_WINE64=${ZUNDA_WINE64:-/usr/lib/wine/wine64}
ZUNDA_WINE32=${ZUNDA_WINE32:-/usr/lib/wine/wine}
ZUNDA_WINESERVER=${ZUNDA_WINESERVER:-/usr/lib/wine/wineserver64}
zunda_arch_given=${ZUNDA_ARCH:+1}

# zunda_set_arch 32|64
zunda_set_arch() {
    case $1 in
        32) ZUNDA_ARCH=32 ZUNDA_WINE=$ZUNDA_WINE32 ;;
        64) ZUNDA_ARCH=64 ZUNDA_WINE=$ZUNDA_WINE64 ;;
        *) echo "zunda_set_arch: 32 or 64, not '$1'" >&2; return 1 ;;
    esac
    export ZUNDA_ARCH ZUNDA_WINE
}
zunda_set_arch "${ZUNDA_ARCH:-64}"

# zunda_wine32_missing: prints why the 32-bit runtime cannot run here, or
# nothing when it can. ZUNDA_NO_WINE32=1 counts as missing.
zunda_wine32_missing() {
    if [ "${ZUNDA_NO_WINE32:-}" = 1 ]; then
        echo "ZUNDA_NO_WINE32=1 is set"
    elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
        local why
        why=$(cat /tmp/zunda-wine32.reason 2>/dev/null)
        echo "the 32-bit Wine runtime wine32:i386 is not installed: ${why:-scripts/setup.sh could not install it}"
    elif [ ! -x "$ZUNDA_WINE32" ]; then
        echo "the 32-bit Wine loader $ZUNDA_WINE32 is missing"
    fi
}

# zunda_arch_of <file.dll|file.exe>: prints 32 or 64 from the PE header's machine field.
zunda_arch_of() {
    local pe machine
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
    [ -n "$pe" ] || return 1
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
    case $machine in
        014c) echo 32 ;;
        8664) echo 64 ;;
        *) echo "zunda_arch_of: $1 is no i386 or x86-64 image" >&2; return 1 ;;
    esac
}

zunda_prefix() {
    local dir=$1
    mkdir -p "$dir"
    if [ -z "$zunda_arch_given" ] && [ -f "$dir/../Zunda.dll" ]; then
        zunda_set_arch "$(zunda_arch_of "$dir/../Zunda.dll")" || return 1
    fi
    export WINEPREFIX="$(cd "$dir" && pwd)/prefix"
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    local home="$(cd "$dir" && pwd)/home"
    mkdir -p "$home/share" "$home/config" "$home/cache"
    export HOME="$home" XDG_DATA_HOME="$home/share" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
    unset DISPLAY
    # A new prefix; a set-up that fails is removed and made once more.
    local attempt
    for attempt in 1 2; do
        [ -f "$WINEPREFIX/system.reg" ] && break
        if "$ZUNDA_WINE64" wineboot -i >/dev/null 2>&1; then
            "$ZUNDA_WINESERVER" -w
            break
        fi
        echo "wineboot failed for $WINEPREFIX (try $attempt)" >&2
        "$ZUNDA_WINESERVER" -k >/dev/null 2>&1
        "$ZUNDA_WINESERVER" -w >/dev/null 2>&1
        rm -rf -- "$WINEPREFIX"
    done
    [ -f "$WINEPREFIX/system.reg" ] || return 1
    zunda_drop_z
    export ZUNDA_C="$WINEPREFIX/drive_c"
}

zunda_drop_z() {
    rm -f "$WINEPREFIX/dosdevices/z:" "$WINEPREFIX/dosdevices/z::"
    if [ -e "$WINEPREFIX/dosdevices/z:" ] || [ -L "$WINEPREFIX/dosdevices/z:" ]; then
        echo "refusing to run: drive Z: still maps the host's root in $WINEPREFIX" >&2
        return 1
    fi
}

# zunda_wine <windows-dir-below-C:> <program> [args...]: runs with that directory current.
zunda_wine() {
    local cwd=$1; shift
    zunda_drop_z || return 1
    mkdir -p "$ZUNDA_C/$cwd"
    local program=$1; shift
    if [ "$ZUNDA_ARCH" = 32 ]; then
        case $program in
            */*|*\\*|*:*) ;;
            *) [ -f "$ZUNDA_C/windows/syswow64/${program%.exe}.exe" ] &&
                   program="C:\\windows\\syswow64\\${program%.exe}.exe" ;;
        esac
    fi
    (cd "$ZUNDA_C/$cwd" && "$ZUNDA_WINE" "$program" "$@")
}

zunda_wine_wait() { "$ZUNDA_WINESERVER" -w; }

# zunda_test_program <win-build-dir>: puts that build's DLL and test program
# into C:\zunda of the current prefix, so every run, also an extra run started
# on its own, tests the current build.
zunda_test_program() {
    mkdir -p "$ZUNDA_C/zunda"
    cp "$1/Zunda.dll" "$1/win_tests.exe" "$ZUNDA_C/zunda/"
}

# zunda_cscript <script in C:\zunda\scripts> [args...]: runs a test script
# through cscript and says whether it passed. A test script prints "begin"
# first and "end" last, then quits with the number of its failures. Wine's
# script host stops a script on a runtime error with exit code 0 and no
# message, so a run without "end" failed. A run without "begin" never reached
# the script (the host did not start it): that run is repeated once, and
# the repetition is reported. On a failure the script's output is printed.
zunda_cscript() {
    local name=$1; shift
    local out rc attempt
    for attempt in 1 2; do
        out=$(zunda_wine zunda cscript //nologo "C:\\zunda\\scripts\\$name" "$@" 2>&1)
        rc=$?
        out=${out//$'\r'/}
        if printf '%s\n' "$out" | grep -qx begin || [ $attempt -eq 2 ]; then break; fi
        echo "note: the script host did not start $name (exit $rc, output [$out]); running it again"
    done
    local last
    last=$(printf '%s\n' "$out" | tail -n 1)
    if [ $rc -eq 0 ] && [ "$last" = end ]; then return 0; fi
    local why="exit $rc"
    [ "$last" = end ] || why="$why, stopped before its end"
    echo "FAILED: $name${1:+ $*} ($why)"
    printf '%s\n' "$out" | grep -vx -e begin -e end | sed 's/^/    /'
    return 1
}
