#!/bin/sh
# SPDX-License-Identifier: MIT
# first_picture.sh -- the game's start against the floor's (tools/perf/floor.c,
# a bare SDL2 program that only opens a window and fills it), as an X client
# sees it: first_picture.c times exec to the first picture with more than one
# pixel value, polled every 5 ms, and reads the peak resident memory by then.
# Under Xvfb 1280x1024x24, no window manager, sound on the dummy driver; the
# game's and the floor's starts alternate, RUNS of each, windowed (640x480)
# and fullscreen. Prints every start and the medians.
#
#   tools/perf/first_picture.sh [RUNS]        (default 7)
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-7}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'stop_started; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM

build_release fompy-talden
# shellcheck disable=SC2046
cc -O2 -Wall -Wextra -o "$TMP/floor" "$ROOT/tools/perf/floor.c" $(sdl2-config --cflags --libs) ||
    exit 1
cc -O2 -Wall -Wextra -o "$TMP/first_picture" "$ROOT/tools/perf/first_picture.c" -lX11 || exit 1
start_xvfb 1280x1024x24
export SDL_AUDIODRIVER=dummy

median() {
    sort -n | awk '{ v[NR] = $1 }
        END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "load before: $(uptime | sed 's/.*load average: //')"
for mode in window fullscreen; do
    if [ "$mode" = window ]; then
        game="$BIN --window --scale 2"; floor="$TMP/floor"
    else
        game="$BIN"; floor="$TMP/floor --fullscreen"
    fi
    : >"$TMP/game.txt"; : >"$TMP/floor.txt"
    for _ in $(seq "$RUNS"); do
        # shellcheck disable=SC2086
        "$TMP/first_picture" $game >>"$TMP/game.txt" 2>>"$TMP/err.txt" ||
            { cat "$TMP/err.txt"; exit 1; }
        sleep 0.3
        # shellcheck disable=SC2086
        "$TMP/first_picture" $floor >>"$TMP/floor.txt" 2>>"$TMP/err.txt" ||
            { cat "$TMP/err.txt"; exit 1; }
        sleep 0.3
    done
    for who in game floor; do
        echo "$mode $who (ms, kB):$(awk '{ printf " %s/%s", $1, $2 }' "$TMP/$who.txt")"
        echo "$mode $who: median $(cut -d' ' -f1 "$TMP/$who.txt" | median) ms," \
             "peak RSS median $(cut -d' ' -f2 "$TMP/$who.txt" | median) kB"
    done
done
echo "load after: $(uptime | sed 's/.*load average: //')"
