#!/bin/sh
# SPDX-License-Identifier: MIT
# The web build's own code, on Node, replays every recording of the headless
# contract to the very log the desktop program gives (the SHA-256 sums kept
# in tests/golden/headless-logs.sha256): the page plays a recording as the
# desktop does.
#
#   corpus.sh NODE_REPLAY.js
set -u
REPLAY="$1"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
[ -f "$REPLAY" ] || { echo "corpus: no $REPLAY: build the web build first (./web.sh)"; exit 1; }
fail=0
runs=0
while read -r sum options; do
    case "$sum" in '#'* | '') continue ;; esac
    # shellcheck disable=SC2086 # the options are words
    got=$(node "$REPLAY" $options | sha256sum | cut -d' ' -f1)
    if [ "$got" != "$sum" ]; then
        echo "FAIL: on Node, the log of $options is not the desktop's (SHA-256 $got)"
        fail=1
    fi
    runs=$((runs + 1))
done <tests/golden/headless-logs.sha256
[ "$runs" -ge 7 ] || { echo "FAIL: only $runs runs read"; fail=1; }
[ $fail -eq 0 ] && echo "corpus: $runs recordings replay on Node to the desktop's logs"
exit $fail
