#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows program's kept games under Wine and Xvfb: a game played in the
# window is kept, unasked, in %LOCALAPPDATA%\fompy-talden\recordings; --scores
# gives the very table the Linux program gives for the same files; --watch
# plays a game of it to its game-over picture, the headless run's pixel for
# pixel with REPLAY over it, ends with status 0 and keeps nothing.
#
#   history.sh WINDOWS_PROGRAM.exe LINUX_PROGRAM
set -u
EXE="$1"
LINUX="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
. "$HERE/wine.inc"
wine_window_session "$LINUX"

LOCAL_DIR=$(unix_folder '%LOCALAPPDATA%')
[ -d "$LOCAL_DIR" ] || fail "no %LOCALAPPDATA% in the prefix"
KEPT="$LOCAL_DIR/fompy-talden/recordings"
rm -rf "$LOCAL_DIR/fompy-talden"
kept_count() { ls "$KEPT" 2>/dev/null | grep -c '\.txt$'; }
open_window() {
    WINDOW=$(timeout 20 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
    xdotool windowfocus "$WINDOW" 2>/dev/null
}

# --- A game, Down held at 1000 frames a second to its game over, then a
# close request: the run is kept under its start's name.
wine "$EXE" --window --scale 2 --no-settings --fps 1000 >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
open_window
sleep 1.5
xdotool key --delay 150 Return Return
sleep 0.5
xdotool keydown Down
sleep 3
xdotool keyup Down
"$WM_CLOSE" "$WINDOW" || fail "cannot send the close request"
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end after the close request"
wait "$GAME_PID" || fail "the played run ended with a failure: $(cat "$TMP/game.err")"
GAME_PID=""
[ "$(kept_count)" -eq 1 ] || fail "the run was not kept: $(ls -la "$KEPT" 2>&1) $(cat "$TMP/game.err")"
ls "$KEPT" | grep -qE '^[0-9]{8}-[0-9]{6}\.txt$' || fail "the kept name is not YYYYMMDD-HHMMSS: $(ls "$KEPT")"

# --- The table of the same files is Linux's.
cp "$ROOT/tests/corpus/gameover.txt" "$KEPT/20200101-000000.txt"
cp "$ROOT/bench/sessions/gameb7.txt" "$KEPT/20200101-000001.txt"
mkdir -p "$TMP/linux/fompy-talden/recordings"
cp "$KEPT"/*.txt "$TMP/linux/fompy-talden/recordings/"
wine "$EXE" --scores 2>"$TMP/scores.err" | tr -d '\r' >"$TMP/scores.win" ||
    fail "--scores failed: $(cat "$TMP/scores.err")"
XDG_STATE_HOME="$TMP/linux" "$LINUX" --scores >"$TMP/scores.linux" || fail "--scores on Linux failed"
[ "$(wc -l <"$TMP/scores.linux")" -eq 3 ] || fail "not three games in the table: $(cat "$TMP/scores.linux")"
cmp -s "$TMP/scores.win" "$TMP/scores.linux" ||
    fail "the tables differ: $(diff "$TMP/scores.win" "$TMP/scores.linux")"

# --- --watch: the game over of the corpus, to its game-over picture.
rank=$(grep -n ' 20200101-000000\.txt game 1$' "$TMP/scores.win" | cut -d: -f1)
[ -n "$rank" ] || fail "the corpus's game is not in the table: $(cat "$TMP/scores.win")"
gameover_picture "$LINUX" "$TMP/gameover.ppm"
convert "$ROOT/tests/golden/paused/mark-replay.png" -depth 8 "ppm:$TMP/mark.ppm"
wine "$EXE" --window --scale 2 --no-settings --watch "$rank" >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
open_window
last_window_picture "$TMP/watched.ppm" 40
[ "$watch_status" -eq 0 ] || fail "--watch ended with status $watch_status: $(cat "$TMP/game.err")"
python3 "$ROOT/tests/scripts/check_overlay.py" marked "$TMP/gameover.ppm" "$TMP/watched.ppm" \
    "$TMP/mark.ppm" || fail "--watch did not end on the game-over picture"
[ "$(kept_count)" -eq 3 ] || fail "--watch kept a recording: $(ls "$KEPT")"
exit 0
