#!/bin/sh
# SPDX-License-Identifier: MIT
# latency.sh -- input-to-picture latency, the game's beside a peer's (ltris,
# from Debian's packages), as an X client sees them under Xvfb: the probe
# (tools/perf/latency_probe.c) sends a key press through XTest and times
# until the window's pixels change, polling them every 0.25 ms, pressing
# only away from the changes gravity makes by itself, reading each game's
# well. The game plays GAME A
# with the well's scrolling off; ltris a classic game with its animations
# off and blocks dropping tile by tile. A piece is moved left and right, in
# batches of 25 presses that alternate between the two games, PRESSES of
# each in all; the game waiting its turn is paused. Prints p50, p90, p99,
# max and the mean for each, in milliseconds.
#
#   tools/perf/latency.sh [PRESSES] [GAME OPTIONS...]   (default 200; e.g. --renderer gpu)
#
# LATENCY_DEBUG=DIR keeps a picture of the screen at the start of each batch,
# and each program's figures, a press a line (game.txt, ltris.txt).
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
PRESSES=${1:-200}
[ $# -gt 0 ] && shift
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
LTRIS_PID=""
trap 'kill "$LTRIS_PID" 2>/dev/null; stop_started; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM
. "$ROOT/tests/need.inc"
need Xvfb xvfb xdotool xdotool cc gcc
LTRIS=/usr/games/ltris
[ -x "$LTRIS" ] || { echo "latency: ltris is missing: run tools/install-deps.sh --perf (Debian's ltris)" >&2; exit 1; }
for header in X11/extensions/XTest.h X11/extensions/XShm.h; do
    [ -f "/usr/include/$header" ] ||
        { echo "latency: $header is missing: run tools/install-deps.sh --perf" >&2; exit 1; }
done

build_release fompy-talden
cc -O2 -Wall -Wextra -o "$TMP/probe" "$ROOT/tools/perf/latency_probe.c" -lX11 -lXext -lXtst ||
    exit 1
start_xvfb 1300x500x24
export SDL_AUDIODRIVER=dummy
key() { xdotool key "$@"; sleep 0.3; }

# The game at 640, 0: GAME A, the scrolling switched off on the options page
# (Enter leaves the intro; OPTIONS, SCROLLING OFF, BACK, GAME A); then paused.
# shellcheck disable=SC2068 # the game's own options, word by word
"$BIN" --window --scale 2 --no-sound --no-settings --no-history --no-autopause $@ \
    >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
GAME=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$GAME" ] || { echo "latency: the game showed no window: $(cat "$TMP/game.err")" >&2; exit 1; }
xdotool windowmove "$GAME" 650 0
xdotool windowfocus "$GAME"
sleep 1
for k in Return Down Down Return Return Up Return Return p; do key "$k"; done

# ltris at 0, 0, a classic game from level 0 (a menu it steers by the mouse).
mkdir -p "$HOME/.lgames"
# Its settings file whole (a file it cannot read whole is its defaults'):
# a classic game, no sound, no animations, no fading, no shadow, blocks
# dropping tile by tile.
ltris_conf() {
    cat <<'CONF'
@
gametype 1
starting_level 0
preview 1
help 0
expert 0
center_preview 0
holes 2
rand_holes 1
send_all 0
send_tetris 1
<player1
name Michael
<controls
left 276
right 275
rot_left 273
rot_right 281
down 274
drop 279
>
>
<player2
name Sabine
<controls
left 97
right 100
rot_left 119
rot_right 101
down 115
drop 121
>
>
<player3
name Thomas
<controls
left 257
right 259
rot_left 261
rot_right 262
down 258
drop 264
>
>
clear_keystate 1
cpu_aggr 1
cpu_delay 700
cpu_rot_delay 100
sound 0
volume 6
transparency 1
animations 0
fullscreen 0
fading 0
fps 0
background 0
static_background 0
smooth_hori 0
hori_delay 3
vert_delay 3
pause_key 112
block_by_block 1
motion_mod 100
relative_motion 0
grab_input 0
invert_mouse 0
quick_help 1
async_collision_check 0
CONF
}
# Its separator is the byte 0xBB.
ltris_conf | sed 's/ /\o273/' >"$HOME/.lgames/ltris.conf"
click() { xdotool mousemove "$1" "$2"; sleep 0.4; xdotool mousemove "$(($1 + 4))" "$2"; sleep 0.4; xdotool click 1; sleep 1; }
# A fresh ltris game, paused: its pieces all land in the middle of the well,
# which fills in about eight batches, so every four get a new one.
start_peer() {
    [ -n "$LTRIS_PID" ] && { kill "$LTRIS_PID"; wait "$LTRIS_PID" 2>/dev/null; }
    "$LTRIS" >"$TMP/ltris.out" 2>&1 &
    LTRIS_PID=$!
    PEER=$(timeout 10 xdotool search --sync --onlyvisible --name '^LTris' | head -n 1)
    [ -n "$PEER" ] || { echo "latency: ltris showed no window: $(cat "$TMP/ltris.out")" >&2; exit 1; }
    sleep 2
    xdotool windowfocus "$PEER"
    click 156 267  # "New Game"
    click 156 225  # "Start Game"
    key p
}
start_peer

# Batches of 25, alternating; each game resumed for its own.
# The probe polls each game's well only (window pixels X Y WIDTH HEIGHT).
GAME_WELL="90 100 230 380"
PEER_WELL="40 0 240 400"
batch() {  # batch WINDOW LABEL WELL
    xdotool windowfocus "$1"
    [ "$1" = "$PEER" ] && xdotool mousemove 320 240
    sleep 0.3
    key p
    [ -n "${LATENCY_DEBUG:-}" ] && import -window root "$LATENCY_DEBUG/$2-$(date +%s).png"
    # shellcheck disable=SC2086 # the well's four numbers
    timeout 120 "$TMP/probe" "$1" 25 Left Right $3 >>"$TMP/$2.txt" 2>"$TMP/probe.err" ||
        { echo "latency: the probe failed on $2: $(cat "$TMP/probe.err")" >&2; exit 1; }
    key p
}
echo "load before: $(uptime | sed 's/.*load average: //')"
rounds=$(((PRESSES + 24) / 25))
for round in $(seq "$rounds"); do
    [ $((round % 4)) -eq 1 ] && [ "$round" -gt 1 ] && start_peer
    batch "$GAME" game "$GAME_WELL"
    batch "$PEER" ltris "$PEER_WELL"
done
echo "load after: $(uptime | sed 's/.*load average: //')"

for who in game ltris; do
    [ -n "${LATENCY_DEBUG:-}" ] && cp "$TMP/$who.txt" "$LATENCY_DEBUG/$who.txt"
    timeouts=$(grep -c ' timeout$' "$TMP/$who.txt")
    grep -v ' timeout$' "$TMP/$who.txt" | awk '{ print $2 / 1000 }' | sort -n | awk -v who="$who" \
        -v timeouts="$timeouts" '{ v[NR] = $1; s += $1 }
        function at(p) { i = int(p * NR + 0.999999); if (i < 1) i = 1; return v[i] }
        END { printf "%s: %d presses, p50 %.1f ms, p90 %.1f, p99 %.1f, max %.1f, mean %.1f (%d timed out)\n",
              who, NR, at(0.5), at(0.9), at(0.99), v[NR], s / NR, timeouts }'
done
