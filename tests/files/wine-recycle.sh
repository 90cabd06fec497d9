#!/usr/bin/env bash
# The recycle bin members, with HOME and XDG_DATA_HOME (where Wine keeps the
# bin) pointing at a fresh folder inside the build folder. The file deleted
# with undo must appear in that bin, and be gone after EmptyRecycleBin.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

bin_home=$(mktemp -d "$build/recycle-home.XXXXXX")
mkdir -p "$bin_home/share" "$bin_home/config" "$bin_home/cache"
export HOME="$bin_home" XDG_DATA_HOME="$bin_home/share" XDG_CONFIG_HOME="$bin_home/config" XDG_CACHE_HOME="$bin_home/cache"
export ZUNDA_RECYCLE_TEST=1
trash="$XDG_DATA_HOME/Trash"
run() {
    zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_also_run_disabled_tests --gtest_filter="$1"
}
failed=0
run 'FileUtilsRecycle.DISABLED_DeleteWithUndo' || failed=1
if ! ls "$trash/files" 2>/dev/null | grep -q '^zunda-recycled'; then
    echo "FAILED: the file deleted with undo is not in $trash"
    failed=1
fi
run 'FileUtilsRecycle.DISABLED_Empty' || failed=1
if [ -n "$(ls -A "$trash/files" 2>/dev/null)" ]; then
    echo "FAILED: the recycle bin is not empty after EmptyRecycleBin"
    failed=1
fi
zunda_wine_wait
rm -rf -- "$bin_home"
exit $failed
