#!/bin/sh
# SPDX-License-Identifier: MIT
# present.sh -- bench-present under a private Xvfb: the cost of showing a
# frame by the window surface (software) and by SDL's renderer through Mesa's
# software OpenGL (gpu), in a 640x480 and a 1280x960 window, then the pacing
# of 70 frames a second over 1500 presents.
#
#   tools/perf/present.sh
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'stop_started; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM

build_release bench-present
BENCH="$ROOT/build/release/bench/bench-present"
start_xvfb 1920x1080x24

echo "load before: $(uptime | sed 's/.*load average: //')"
for renderer in software gpu; do
    for scale in 2 4; do
        "$BENCH" cost --renderer "$renderer" --scale "$scale" || exit 1
    done
done
"$BENCH" pacing --renderer software --scale 2 || exit 1
"$BENCH" pacing --renderer gpu --scale 2 || exit 1
echo "load after: $(uptime | sed 's/.*load average: //')"
