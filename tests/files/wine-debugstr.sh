#!/usr/bin/env bash
# The audit log's debugger output, which Wine shows on stderr with +debugstr.
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/harness/wine.sh"
zunda_prefix "$build/wine" || exit 1
out=$(WINEDEBUG=-all,+debugstr zunda_wine zunda 'C:\zunda\win_tests.exe' --gtest_brief=1 \
    --gtest_filter='AuditLogDebugOutput.*' 2>&1)
rc=$?
zunda_wine_wait
if [ $rc -ne 0 ]; then echo "$out"; exit 1; fi
if ! grep -q -- '--> \[DbgProc\]\[DbgTool\]: suppressed but shown' <<<"$out"; then
    echo "FAILED: no debugger output of the entry"
    echo "$out" | tail -20
    exit 1
fi
exit 0
