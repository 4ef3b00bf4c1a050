#!/bin/sh
# SPDX-License-Identifier: MIT
# A session played with real key presses in an X window (Xvfb): intro, menu,
# a game to its game-over screen, back to the menu and "QUIT". Recorded with
# --record and logged with --log, it replays headless with the identical log,
# and the window showed the very game-over picture the replay draws; shown
# again with --playback in the window it logs the same once more.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"

# Unwritable targets are refused before anything opens.
"$BIN" --window --record /nonexistent/dir/s.txt 2>"$TMP/err"
[ $? -eq 1 ] || fail "an unwritable recording is not refused with status 1"
grep -q "cannot write the recording" "$TMP/err" || fail "unclear message: $(cat "$TMP/err")"

. "$HERE/xvfb_session.inc"

"$BIN" --window --record "$TMP/session.txt" --log "$TMP/window.log" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
# Real key presses through the X server's test extension, into the focused window.
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
press() { xdotool key --delay 120 "$@"; sleep 0.25; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.1; }
sleep 0.3
press Return                 # the intro
press Down Down Up Up        # the menu, back to GAME A
press Return                 # GAME A
sleep 1.5
press Left Left Up Right
hold Down 0.8
press Up Left
hold Down 14                 # pieces pile up in the middle until the game is over
sleep 0.5
import -window "$WINDOW" -depth 8 "ppm:$TMP/gameover.ppm" || fail "no screenshot"
press space                  # leave the game-over screen for the menu
press Down Down Up Up Up     # the marker wraps to QUIT
press Return
expect_quit

grep -q " sound play 111$" "$TMP/window.log" || fail "the session did not reach the game-over screen"
grep -q " end quit$" "$TMP/window.log" || fail "the window's log does not end with quit"
grep -q "^reseed " "$TMP/session.txt" || fail "the recording holds no reseed"

"$BIN" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" --dump "$TMP/pics" ||
    fail "the recording does not replay: $(head -n 5 "$TMP/session.txt")"
diff "$TMP/window.log" "$TMP/replay.log" >"$TMP/diff" ||
    fail "the replay differs from the window run: $(head -n 6 "$TMP/diff")"

# The window showed the game-over screen the headless replay drew: its last
# primary picture (picture numbers count the present and primary lines).
number=$(grep -E ' (present|primary) ' "$TMP/replay.log" | grep -n ' primary ' | tail -n 1 | cut -d: -f1)
picture=$(printf '%s/%06d.png' "$TMP/pics" $((number - 1)))
convert "$picture" -depth 8 "ppm:$TMP/expected.ppm"
python3 "$HERE/compare_picture.py" "$TMP/gameover.ppm" "$TMP/expected.ppm" 0 0 640 480 ||
    fail "the window's game-over screen is not the headless run's"

# The same session shown in the window, at its own pace.
"$BIN" --window --playback "$TMP/session.txt" --log "$TMP/playback.log" 2>"$TMP/play.err" ||
    fail "the playback failed: $(cat "$TMP/play.err")"
diff "$TMP/window.log" "$TMP/playback.log" >"$TMP/diff" ||
    fail "the playback differs from the window run: $(head -n 6 "$TMP/diff")"
exit 0
