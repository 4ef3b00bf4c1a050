#!/bin/sh
# SPDX-License-Identifier: MIT
# startup.sh -- the time from exec to the intro's mosaic on screen, in a
# 640x480 window under Xvfb, over RUNS runs (median and max), and the peak
# resident memory by then.
#
#   tools/perf/startup.sh [RUNS [RENDERER]]        (default 20, auto)
#
# first_frame_shim.c, preloaded, notes the moment the first window update
# that shows the mosaic returns (the X server has the picture then) and ends
# the run there; a small launcher reads the clock just before its execv. The
# first run is counted with the others: the files it reads are in the page
# cache after the build anyway.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-20}
RENDERER=${2:-auto}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'stop_started; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM

build_release fompy-talden
# shellcheck disable=SC2046
cc -O2 -Wall -Wextra -shared -fPIC $(sdl2-config --cflags) -o "$TMP/first_frame_shim.so" \
    "$ROOT/tools/perf/first_frame_shim.c" $(sdl2-config --libs) -ldl || exit 1
start_xvfb 800x600x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export FT_FIRST_FRAME_OUT="$TMP/runs.txt"

echo "load before: $(uptime | sed 's/.*load average: //')"
for _ in $(seq "$RUNS"); do
    timeout 20 python3 -c '
import os, sys, time
os.environ["LD_PRELOAD"] = sys.argv[1]
os.environ["FT_EXEC_NS"] = str(time.clock_gettime_ns(time.CLOCK_MONOTONIC))
os.execv(sys.argv[2], sys.argv[2:])
' "$TMP/first_frame_shim.so" "$BIN" --window --scale 2 --renderer "$RENDERER" 2>>"$TMP/game.err"
    sleep 0.2
done
[ "$(wc -l <"$TMP/runs.txt" 2>/dev/null || echo 0)" -eq "$RUNS" ] ||
    { echo "some runs showed no mosaic: $(cat "$TMP/game.err")" >&2; exit 1; }
echo "load after: $(uptime | sed 's/.*load average: //')"
echo "runs (ms):$(awk '{ printf " %.1f", $3 }' "$TMP/runs.txt")"
sort -n -k3 "$TMP/runs.txt" | awk -v renderer="$RENDERER" '
    { ms[NR] = $3; if ($7 > rss) rss = $7; if (rssMin == "" || $7 < rssMin) rssMin = $7 }
    END {
        median = NR % 2 ? ms[(NR + 1) / 2] : (ms[NR / 2] + ms[NR / 2 + 1]) / 2
        printf "exec to the mosaic on screen (renderer %s, %d runs): median %.1f ms, min %.1f ms, max %.1f ms\n",
               renderer, NR, median, ms[1], ms[NR]
        printf "peak resident memory by then: %d to %d kB\n", rssMin, rss
    }'
