# Shared Wine set-up for the project's Windows-side runs. Source it, then call
# zunda_prefix <dir> once and zunda_wine <program> [args] for every program.
#
# Safety: Wine maps drive Z: to the host's root folder. The prefix made here
# has that drive removed, every program runs with its current directory on
# the prefix's own C: drive, and HOME/XDG folders (the recycle bin lives there)
# point into the prefix's folder. zunda_wine refuses to run while Z: exists.

ZUNDA_WINE=${ZUNDA_WINE:-/usr/lib/wine/wine64}
ZUNDA_WINESERVER=${ZUNDA_WINESERVER:-/usr/lib/wine/wineserver64}

zunda_prefix() {
    local dir=$1
    mkdir -p "$dir"
    export WINEPREFIX="$(cd "$dir" && pwd)/prefix"
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    local home="$(cd "$dir" && pwd)/home"
    mkdir -p "$home/share" "$home/config" "$home/cache"
    export HOME="$home" XDG_DATA_HOME="$home/share" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
    unset DISPLAY
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$ZUNDA_WINE" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed for $WINEPREFIX" >&2; return 1; }
        "$ZUNDA_WINESERVER" -w
    fi
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
    (cd "$ZUNDA_C/$cwd" && "$ZUNDA_WINE" "$@")
}

zunda_wine_wait() { "$ZUNDA_WINESERVER" -w; }

# zunda_test_program <win64-build-dir>: puts that build's DLL and test program
# into C:\zunda of the current prefix, so every run, also an extra run started
# on its own, tests the current build.
zunda_test_program() {
    mkdir -p "$ZUNDA_C/zunda"
    cp "$1/Zunda.dll" "$1/win_tests.exe" "$ZUNDA_C/zunda/"
}
