#!/bin/sh
# SPDX-License-Identifier: MIT
# windows.sh -- the Windows program's costs under Wine, measured as the
# desktop's are (startup.sh, first_picture.sh, cpu.sh) in a 640x480 window
# under a private Xvfb 800x600x24: exec of `wine fompy-talden.exe` to the
# intro's mosaic on screen (first_picture.c, RUNS runs, median and max) with
# the peak resident memory by then; the share of one core while waiting in the
# intro, in a game at 70 frames a second with no key held, and replaying the
# recorded short game in the window, with Wine's server's share beside it; the
# peak resident memory after the game. Wine's server is started before the
# first run and kept, as a Windows machine has its system running; Wine has
# no sound driver here, so the game plays silently. These are Wine's figures
# on this machine, not Windows'.
#
#   tools/perf/windows.sh [RUNS [SECONDS]]        (default 10 and 20)
#
# With FT_NO_XINPUT=1 Wine offers no XInput DLL, so the program plays with the
# keyboard alone and never looks for pads: what the looks cost.
#
# measure prints its figures as words, which `set --` splits on purpose.
# shellcheck disable=SC2046
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-10}
SECONDS_MEASURED=${2:-20}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
WINESERVER_PID=""
finish() {
    stop_started
    wineserver -k 2>/dev/null
    rm -rf "$TMP"
}
trap finish EXIT
trap 'exit 1' INT TERM

(cd "$ROOT" && ./windows.sh >/dev/null) || exit 1
EXE="$ROOT/build/windows/fompy-talden.exe"
export WINEPREFIX="$ROOT/build/windows-test/wine" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv,wineoss.drv="
if [ "${FT_NO_XINPUT:-0}" = 1 ]; then
    WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv,wineoss.drv,xinput1_4"
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES,xinput9_1_0,xinput1_3="
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix: run tools/windows-test.sh" >&2; exit 1; }
cc -O2 -Wall -Wextra -o "$TMP/first_picture" "$ROOT/tools/perf/first_picture.c" -lX11 || exit 1
start_xvfb 800x600x24
wineserver -k 2>/dev/null  # a server from before knows no display
wineserver -w 2>/dev/null
wineserver -p
# This prefix's server, to read its CPU time: the one working in the folder
# named after the prefix's device and inode (under /tmp; where, Wine decides).
server_dir="server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")"
for _ in $(seq 50); do
    for pid in $(pgrep -x 'wineserver(64)?'); do
        case "$(readlink "/proc/$pid/cwd")" in */"$server_dir") WINESERVER_PID=$pid ;; esac
    done
    [ -n "$WINESERVER_PID" ] && break
    sleep 0.1
done
[ -n "$WINESERVER_PID" ] || { echo "cannot find Wine's server for $WINEPREFIX" >&2; exit 1; }

median() {
    sort -n | awk '{ v[NR] = $1 }
        END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# A first start that is not counted: Wine's own processes (explorer for the
# desktop, services) start with the first program and stay.
"$TMP/first_picture" wine "$EXE" --window --scale 2 >/dev/null 2>&1
: >"$TMP/starts.txt"
for _ in $(seq "$RUNS"); do
    "$TMP/first_picture" wine "$EXE" --window --scale 2 >>"$TMP/starts.txt" 2>"$TMP/err" ||
        { echo "no picture: $(cat "$TMP/err")" >&2; exit 1; }
    sleep 0.5
done
echo "start-up runs (ms):$(awk '{ printf " %.1f", $1 }' "$TMP/starts.txt")"
peak=$(cut -d' ' -f2 "$TMP/starts.txt" | sort -n | tail -n 1)
echo "start-up: median $(cut -d' ' -f1 "$TMP/starts.txt" | median) ms," \
    "max $(sort -n "$TMP/starts.txt" | tail -n 1 | cut -d' ' -f1) ms;" \
    "peak resident memory by then $peak kB at most"

report() {  # WHAT, then measure's five figures, then wineserver's share
    printf '%-44s %8s%%  (stat %s%%; %s wake-ups/s; game thread %s%%; Xvfb %s%%;' \
        "$1" "$2" "$3" "$4" "$5" "$6"
    printf ' wineserver %s%%)\n' "$7"
}
measured() {  # WHAT: measure the game for SECONDS_MEASURED, with the server's share
    s0=$(cpu_ns "$WINESERVER_PID"); w0=$(date +%s%N)
    set -- "$1" $(measure "$GAME_PID" "$SECONDS_MEASURED")
    s1=$(cpu_ns "$WINESERVER_PID"); w1=$(date +%s%N)
    report "$@" "$(awk -v c="$((s1 - s0))" -v w="$((w1 - w0))" \
        'BEGIN { printf "%.4f", 100 * c / w }')"
}

wine "$EXE" --window --scale 2 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 20 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || { echo "no window: $(cat "$TMP/game.err")" >&2; exit 1; }
sleep 5  # the mosaic, the title; then the intro waits for Enter
measured "waiting in the intro (${SECONDS_MEASURED} s)"
xdotool key --window "$WINDOW" Return  # to the menu
sleep 1
xdotool key --window "$WINDOW" Return  # "GAME A"
sleep 2
measured "a game, no key held (${SECONDS_MEASURED} s)"
echo "peak resident memory in a game: $(peak_rss_kb "$GAME_PID") kB"
kill "$GAME_PID"
wait "$GAME_PID" 2>/dev/null
GAME_PID=""

# The short session shown at its normal speed (1569 frames, 22.4 s),
# measured from 2 s in for 18 s.
wine "$EXE" --window --scale 2 --playback "$ROOT/bench/sessions/short.txt" 2>"$TMP/playback.err" &
GAME_PID=$!
timeout 20 xdotool search --sync --name '^FOMPY TALDEN$' >/dev/null ||
    { echo "no window: $(cat "$TMP/playback.err")" >&2; exit 1; }
sleep 2
SECONDS_MEASURED=18
measured "a game played (short.txt replayed, 18 s)"
echo "peak resident memory after the game: $(peak_rss_kb "$GAME_PID") kB"
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill "$GAME_PID" 2>/dev/null
wait "$GAME_PID" 2>/dev/null
GAME_PID=""
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
