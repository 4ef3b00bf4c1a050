#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows program in a real window under Wine and Xvfb: it opens at
# twice the picture's 4:3 size showing the very picture of the headless run,
# Alt+Enter takes it to fullscreen over the whole screen and back without an
# Enter reaching the game, keys sent through the X server play a game (the
# keypad's arrows among them), and a close request from outside, as a window
# manager's close button sends it, reaches the game: the window run's log is
# the same as the headless replay of its recording, close included, and the
# program ends with status 0. The keys are stamped with the frames that
# really passed while the game waited for them, so that the recording played
# back in a window keeps the player's pace, and ends as the live run did.
#
#   window.sh WINDOWS_PROGRAM.exe LINUX_PROGRAM
set -u
EXE="$1"
LINUX="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
. "$HERE/wine.inc"

wine_window_session "$LINUX"

wine "$EXE" --window --scale 2 --record "$TMP/session.txt" --log "$TMP/window.log" \
    2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 20 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus "$WINDOW" 2>/dev/null
press() { xdotool key --delay 150 "$@"; sleep 0.4; }
size() { xdotool getwindowgeometry "$WINDOW" | sed -n 's/^ *Geometry: //p'; }
# The window shows the intro's picture, scaled to LEFT TOP WIDTH HEIGHT.
expect_intro() {
    import -window "$WINDOW" -depth 8 "ppm:$TMP/shot.ppm" || fail "no screenshot"
    python3 "$ROOT/tests/scripts/compare_picture.py" "$TMP/shot.ppm" "$TMP/intro.ppm" "$@" ||
        fail "the window does not show the intro picture ($*)"
}
# The intro draws its mosaic and title at once, then waits for Enter: the
# headless run's second picture.
"$LINUX" --headless --dump "$TMP/pictures" >/dev/null || fail "headless run failed"
convert "$TMP/pictures/000001.png" -depth 8 "ppm:$TMP/intro.ppm"
sleep 1.5

[ "$(size)" = "640x480" ] || fail "the window is $(size), not 640x480"
expect_intro 0 0 640 480
press alt+Return
sleep 0.5
[ "$(size)" = "800x600" ] || fail "Alt+Enter: the window is $(size), not the screen's 800x600"
expect_intro 0 0 800 600  # still the intro: the Enter of Alt+Enter did not reach the game
press alt+Return
sleep 0.5
[ "$(size)" = "640x480" ] || fail "Alt+Enter again: the window is $(size), not 640x480"

press Return  # the intro
press Return  # GAME A
sleep 1
press Left KP_Left Up Right KP_Right Down
sleep 0.5
"$WM_CLOSE" "$WINDOW" || fail "cannot send the close request"
# Wine on a busy machine, in a prefix just made, can take its time.
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$GAME_PID" 2>/dev/null; then
    # The game takes the request when the player leaves it: back to the menu and "QUIT".
    press Escape
    press Up Return
fi
for _ in $(seq 50); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end after the close request and QUIT" \
    "(windows named so: $(xdotool search --name '^FOMPY TALDEN$' | tr '\n' ' '))" \
    "(the game said: $(cat "$TMP/game.err"))"
wait "$GAME_PID"
status=$?
GAME_PID=""
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$TMP/game.err")"

grep -q "^[0-9]* close$" "$TMP/session.txt" || fail "the close request was not recorded"
[ "$(grep -c "^[0-9]* left down$" "$TMP/session.txt")" -eq 2 ] ||
    fail "Left and the keypad's Left did not both reach the game: $(cat "$TMP/session.txt")"
[ "$(grep -c "^[0-9]* right down$" "$TMP/session.txt")" -eq 2 ] ||
    fail "Right and the keypad's Right did not both reach the game"
"$LINUX" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
cmp -s "$TMP/window.log" "$TMP/replay.log" ||
    fail "the window's log differs from its replay's: $(cmp "$TMP/window.log" "$TMP/replay.log")"
tail -n 1 "$TMP/window.log" | grep -q "^[0-9]* end close$" ||
    fail "the run did not end as closed: $(tail -n 1 "$TMP/window.log")"

# The intro waited some 4 s for the first Enter (the Alt+Enter checks above):
# a key that arrives during a wait is stamped with the frames that passed.
first_enter=$(awk '$2 == "enter" && $3 == "down" { print $1; exit }' "$TMP/session.txt")
[ "${first_enter:-0}" -ge 140 ] ||
    fail "the first Enter is stamped at frame ${first_enter:-none}, not 2 s into the wait"

# The recording played back in a window: the same log, at the recorded pace
# (70 frames a second, its last event's frame at least).
last=$(awk '$1 ~ /^[0-9]+$/ { t = $1 } END { print t }' "$TMP/session.txt")
started=$(date +%s%N)
wine "$EXE" --window --scale 2 --playback "$TMP/session.txt" --log "$TMP/playback.log" \
    2>"$TMP/playback.err"
status=$?
took=$((($(date +%s%N) - started) / 1000000))
[ "$status" -eq 0 ] || fail "the playback: exit status $status: $(cat "$TMP/playback.err")"
cmp -s "$TMP/window.log" "$TMP/playback.log" ||
    fail "the playback's log differs: $(cmp "$TMP/window.log" "$TMP/playback.log")"
[ "$took" -ge $((last * 1000 / 70)) ] ||
    fail "the playback took $took ms, less than the recorded $((last * 1000 / 70)) ms"
exit 0
