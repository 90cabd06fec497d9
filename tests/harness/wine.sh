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
    # A new prefix; a set-up that fails is removed and made once more.
    local attempt
    for attempt in 1 2; do
        [ -f "$WINEPREFIX/system.reg" ] && break
        if "$ZUNDA_WINE" wineboot -i >/dev/null 2>&1; then
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
