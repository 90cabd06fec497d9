#!/usr/bin/env bash
# Registration-free use: a prefix of its own in which nothing of Zunda is
# registered; the client's manifest names the assembly whose manifest
# (dist/Zunda.manifest) lies beside the unregistered DLL.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/regfree-wine" || exit 1
dest="$ZUNDA_C/regfree"
rm -rf "$dest"
mkdir -p "$dest"
cp "$build/regfree_client.exe" "$build/Zunda.dll" "$build/dist/Zunda.manifest" "$dest/"
zunda_wine regfree 'C:\regfree\regfree_client.exe'
rc=$?
zunda_wine_wait
# A prefix is over a gigabyte: this run's own is not kept.
rm -rf -- "$build/regfree-wine"
exit $rc
