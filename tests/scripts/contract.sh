#!/bin/sh
# SPDX-License-Identifier: MIT
# The headless contract holds byte for byte: the kept sessions and the
# screenshot scripts give the very logs they gave before (their SHA-256 sums
# are kept in tests/golden/headless-logs.sha256).
set -u
BIN="$1"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
fail=0
runs=0
while read -r sum options; do
    case "$sum" in '#'* | '') continue ;; esac
    # shellcheck disable=SC2086 # the options are words
    got=$("$BIN" --headless $options --log - | sha256sum | cut -d' ' -f1)
    if [ "$got" != "$sum" ]; then
        echo "FAIL: the log of --headless $options has changed (SHA-256 $got)"
        fail=1
    fi
    runs=$((runs + 1))
done <tests/golden/headless-logs.sha256
[ "$runs" -ge 7 ] || { echo "FAIL: only $runs runs read"; fail=1; }
exit $fail
