#!/bin/sh
# SPDX-License-Identifier: MIT
# cpu.sh -- the share of one core the whole program takes in a 640x480 window
# under Xvfb: waiting in the intro, in a game at 70 frames a second (no key
# held; gravity plays), waiting on the game-over screen, and replaying the
# recorded short game in the window; with the X server's share beside it and
# the program's peak resident memory at the end.
#
#   tools/perf/cpu.sh [WAIT_SECONDS [GAME_SECONDS]]      (default 20 and 20)
#   tools/perf/cpu.sh scaling                            (the last part alone)
#
# The last part is the price of --scaling sharp on the program's own drawing:
# a game fullscreen on a 1280x960 screen, nearest neighbour and then sharp.
#
# The CPU time is the scheduler's count in nanoseconds, summed over the
# process's threads (/proc/PID/task/*/schedstat); utime + stime from
# /proc/PID/stat, in whole clock ticks, is printed beside it as a check. Sound
# goes to SDL's dummy driver unless SDL_AUDIODRIVER names another; "none" (no
# such driver) runs the game without a sound device.
#
# measure prints its figures as words, which `set --` splits on purpose.
# shellcheck disable=SC2046
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
PARTS=all
if [ "${1:-}" = scaling ]; then PARTS=scaling; shift; fi
WAIT_SECONDS=${1:-20}
GAME_SECONDS=${2:-20}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'stop_started; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM

build_release fompy-talden
start_xvfb 800x600x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

report() {  # WHAT, then measure's five figures
    printf '%-44s %8s%%  (stat %s%%; %s wake-ups/s; game thread %s%%; Xvfb %s%%)\n' \
        "$1" "$2" "$3" "$4" "$5" "$6"
}

# Waits until the game's own thread sleeps for good (a wait for a key): fewer
# than 3 wake-ups in each of two successive seconds. At most $1 seconds.
wait_until_idle() {
    quiet=0
    for _ in $(seq "$1"); do
        before=$(main_wakeups "$GAME_PID")
        sleep 1
        if [ $(($(main_wakeups "$GAME_PID") - before)) -lt 3 ]; then
            quiet=$((quiet + 1))
            [ "$quiet" -ge 2 ] && return 0
        else
            quiet=0
        fi
    done
    return 1
}

echo "load before: $(uptime | sed 's/.*load average: //')"

# A game as a player plays it ($1, its name here, then the game's options):
# the short session shown at its normal speed (1569 frames, 22.4 s), measured
# from 2 s in to 2 s before its end.
played() {
    what=$1
    shift
    "$BIN" "$@" --playback "$ROOT/bench/sessions/short.txt" 2>"$TMP/playback.err" &
    GAME_PID=$!
    timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' >/dev/null ||
        { echo "no window: $(cat "$TMP/playback.err")" >&2; exit 1; }
    sleep 2
    set -- $(measure "$GAME_PID" 18)
    report "$what" "$@"
    for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
    kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
}

if [ "$PARTS" = all ]; then
"$BIN" --window --scale 2 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || { echo "no window: $(cat "$TMP/game.err")" >&2; exit 1; }
# The mosaic, the title and the 4.3 s jingle; then the intro waits for Enter,
# with the sound device resting once the jingle has sounded out.
sleep 5
set -- $(measure "$GAME_PID" "$WAIT_SECONDS")
report "waiting in the intro (${WAIT_SECONDS} s)" "$@"

xdotool key --window "$WINDOW" Return  # to the menu
sleep 1
xdotool key --window "$WINDOW" Return  # "GAME A"
sleep 2
set -- $(measure "$GAME_PID" "$GAME_SECONDS")
report "a game, no key held (${GAME_SECONDS} s)" "$@"

# Down held: the pieces drop fast and stack up in the middle of the well
# until the game ends, within seconds. The game-over screen goes on drawing
# while the key is held, and waits once it is let go.
over=no
for _ in $(seq 8); do
    xdotool keydown --window "$WINDOW" Down
    sleep 8
    xdotool keyup --window "$WINDOW" Down
    if wait_until_idle 4; then over=yes; break; fi
done
[ "$over" = yes ] || { echo "the game did not end with Down held" >&2; exit 1; }
sleep 1
set -- $(measure "$GAME_PID" "$WAIT_SECONDS")
report "waiting on the game-over screen (${WAIT_SECONDS} s)" "$@"
echo "peak resident memory after a game: $(peak_rss_kb "$GAME_PID") kB"
kill "$GAME_PID"
wait "$GAME_PID" 2>/dev/null
GAME_PID=""

played "a game played (short.txt replayed, 18 s)" --window --scale 2

fi

# A game of GAME A just begun, no key held ($1, its name here, then the
# game's options): the intro's jingle, the menu, the game for GAME_SECONDS.
# Not a playback, whose REPLAY mark has the whole picture drawn every frame.
in_a_game() {
    what=$1
    shift
    "$BIN" "$@" 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || { echo "no window: $(cat "$TMP/game.err")" >&2; exit 1; }
    sleep 5
    xdotool key --window "$WINDOW" Return  # to the menu
    sleep 1
    xdotool key --window "$WINDOW" Return  # "GAME A"
    sleep 2
    set -- $(measure "$GAME_PID" "$GAME_SECONDS")
    report "$what" "$@"
    kill "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
}

stop_started
start_xvfb 1280x960x24
in_a_game "a game at 1280x960, nearest (${GAME_SECONDS} s)" --fullscreen --scaling nearest
in_a_game "a game at 1280x960, sharp (${GAME_SECONDS} s)" --fullscreen --scaling sharp

echo "load after: $(uptime | sed 's/.*load average: //')"
