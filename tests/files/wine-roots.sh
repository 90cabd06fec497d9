#!/usr/bin/env bash
# Recursive deletion and deletion to the recycle bin must refuse drives and
# roots, and must not follow links. The run maps a throwaway folder of the
# build tree as drive Y:, with canary files and links in it, and runs the
# test with its current directory on Y:\ (so "" and "\" name that drive's
# root too). Whatever goes wrong can only reach the throwaway folder.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
zunda_test_program "$build"

drive=$(mktemp -d "$build/roots-drive.XXXXXX")
echo canary > "$drive/canary.txt"
mkdir -p "$drive/tree/sub" "$drive/target"
echo keep > "$drive/target/precious.txt"
echo x > "$drive/tree/sub/file.txt"
ln -s ../../target "$drive/tree/sub/link"
ln -s target "$drive/alias"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/y:"

failed=0
(
    export ZUNDA_ROOTS_TEST=1
    zunda_drop_z || exit 1
    cd "$drive" && "$ZUNDA_WINE" 'C:\zunda\win_tests.exe' --gtest_brief=1 --gtest_also_run_disabled_tests \
        --gtest_filter='FileUtilsRoots.DISABLED_*'
) || failed=1
zunda_wine_wait
rm -f "$WINEPREFIX/dosdevices/y:"
for f in canary.txt target/precious.txt; do
    [ -f "$drive/$f" ] || { echo "FAILED: $f was deleted"; failed=1; }
done
[ -e "$drive/tree/sub/file.txt" ] && { echo "FAILED: the tree was not deleted"; failed=1; }
rm -rf -- "$drive"
exit $failed
