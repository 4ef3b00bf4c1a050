#!/bin/sh
# SPDX-License-Identifier: MIT
# timedemo.sh -- the timedemo's figures for the recorded sessions kept in
# bench/sessions: each replayed headless as fast as the machine allows,
# RUNS times (default 9), with the median frame rate of the runs.
#
#   tools/perf/timedemo.sh [RUNS]
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-9}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'rm -rf "$TMP"' EXIT

build_release fompy-talden
echo "load before: $(uptime | sed 's/.*load average: //')"
for session in "$ROOT"/bench/sessions/*.txt; do
    name=$(basename "$session")
    : >"$TMP/runs"
    for _ in $(seq "$RUNS"); do
        "$BIN" --timedemo "$session" | tee -a "$TMP/runs" | sed "s/^/$name: /"
    done
    # "FRAMES frames in SECONDS s: FPS frames/s"
    sort -n -k6 "$TMP/runs" | awk -v name="$name" '
        { fps[NR] = $6; frames = $1 }
        END {
            median = NR % 2 ? fps[(NR + 1) / 2] : (fps[NR / 2] + fps[NR / 2 + 1]) / 2
            printf "%s: %d frames, median %.0f frames/s (%.2f us a frame), min %.0f, max %.0f\n",
                   name, frames, median, 1e6 / median, fps[1], fps[NR]
        }'
done
echo "load after: $(uptime | sed 's/.*load average: //')"
