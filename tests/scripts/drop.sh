#!/bin/sh
# SPDX-License-Identifier: MIT
# A recording dropped onto a real X window (Xvfb), as a file manager drops it
# (XDND):
# - a file that is no recording, and any file during a game, are said in one
#   line on standard error, and the game goes on;
# - on the menu a recording ends the run as a close does (its log's and its
#   recording's last event), which replays headless to the same log, and the
#   dropped one plays in the same window, marked REPLAY in its top left
#   corner; the program ends with status 0 where the dropped recording ends.
set -u
BIN="$1"
DROP="$(dirname "$2")/xdnd-drop"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"
[ -x "$DROP" ] || fail "no $DROP: build the debug build's tests first"

# A key after three seconds and a half, then the intro, whose wait for a
# key ends the playback.
printf '# fompy-talden recording 1\n250 space down\n' >"$TMP/intro.txt"
printf '7 up sideways\n' >"$TMP/bad.txt"
convert "$HERE/../golden/paused/mark-replay.png" -depth 8 "ppm:$TMP/mark.ppm"

"$BIN" --window --no-settings --record "$TMP/first.txt" --log "$TMP/first.log" \
    >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
sleep 1

"$DROP" "$WINDOW" "$TMP/bad.txt" || fail "the drop of a bad file was not taken"
sleep 0.3
grep -q "^fompy-talden: .*bad.txt:1: .*; the game goes on$" "$TMP/game.err" ||
    fail "a dropped file that is no recording is not said: $(cat "$TMP/game.err")"
kill -0 "$GAME_PID" || fail "the game ended after a bad file was dropped"

# A game: a drop is not taken.
xdotool key --delay 300 Return Return
sleep 1
"$DROP" "$WINDOW" "$TMP/intro.txt" || fail "the drop in a game was not taken"
sleep 0.3
grep -q "intro.txt' is not played during a game" "$TMP/game.err" ||
    fail "a drop during a game is not said: $(cat "$TMP/game.err")"
kill -0 "$GAME_PID" || fail "the game ended after a drop during a game"

# Back on the menu: the drop ends the run and plays.
xdotool key Escape
sleep 1
"$DROP" "$WINDOW" "$TMP/intro.txt" || fail "the drop on the menu was not taken"
sleep 0.5
import -window "$WINDOW" -depth 8 "ppm:$TMP/replay.ppm" || fail "no picture of the window"
python3 "$HERE/check_overlay.py" mark "$TMP/replay.ppm" "$TMP/mark.ppm" ||
    fail "the dropped recording is not marked REPLAY"
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME_PID" 2>/dev/null && fail "the dropped recording's playback did not end"
wait "$GAME_PID"
status=$?
GAME_PID=""
[ "$status" -eq 0 ] || fail "exit status $status after the dropped playback: $(cat "$TMP/game.err")"

[ "$(tail -n 1 "$TMP/first.log" | cut -d' ' -f2-)" = "end close" ] ||
    fail "the run the drop ended does not end as a close: $(tail -n 1 "$TMP/first.log")"
[ "$(tail -n 1 "$TMP/first.txt" | cut -d' ' -f2-)" = "close" ] ||
    fail "the recording does not end with close: $(tail -n 1 "$TMP/first.txt")"
"$BIN" --headless --script "$TMP/first.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
cmp -s "$TMP/first.log" "$TMP/replay.log" ||
    fail "the replay differs from the window run: $(cmp "$TMP/first.log" "$TMP/replay.log")"
exit 0
