#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows program with --present vsync under Wine and Xvfb: it starts,
# saying at most that it presents at once (Wine runs no compositor), and ten
# seconds of a game played with real keys keep the game's own 70 frames a
# second, by its frame log's finish times and by the test's clock against
# the keys' frames; the recording replays on Linux to the same log.
#
#   vsync.sh WINDOWS_PROGRAM.exe LINUX_PROGRAM
set -u
EXE="$1"
LINUX="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
. "$HERE/wine.inc"
wine_window_session "$LINUX"

wine "$EXE" --window --no-sound --present vsync --record "$TMP/session.txt" \
    --log "$TMP/window.log" --frame-log "$TMP/frames.txt" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 20 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus "$WINDOW" 2>/dev/null
now_us() { echo $(($(date +%s%N) / 1000)); }
sleep 1.5
xdotool key --delay 150 Return
sleep 0.4
xdotool key --delay 150 Return  # GAME A
sleep 1.5
# Ten seconds, a key a second; the first Left and the last Right mark them.
started=$(now_us)
for key in Left Up Right Left Down Right Up Left Up Down; do
    xdotool key "$key"
    sleep 1
done
ended=$(now_us)
xdotool key Right
sleep 0.4
xdotool key --delay 150 Escape
sleep 0.4
xdotool key --delay 150 Up Return  # "QUIT"
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end after QUIT: $(cat "$TMP/game.err")"
wait "$GAME_PID"
status=$?
GAME_PID=""
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$TMP/game.err")"

grep -v "^fompy-talden: cannot present after the compositor's frames: .*; presenting at once" \
    "$TMP/game.err" | tr -d '\r' | grep . >"$TMP/said" &&
    fail "the run said more than that it presents at once: $(cat "$TMP/said")"
python3 "$ROOT/tests/scripts/check_pace.py" "$TMP/session.txt" "$TMP/window.log" \
    "$TMP/frames.txt" "$started" "$ended" || fail "the pace of --present vsync under Wine"
"$LINUX" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
cmp -s "$TMP/window.log" "$TMP/replay.log" ||
    fail "the window's log differs from its replay's: $(cmp "$TMP/window.log" "$TMP/replay.log")"
exit 0
