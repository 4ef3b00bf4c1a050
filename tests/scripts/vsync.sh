#!/bin/sh
# SPDX-License-Identifier: MIT
# The GPU path with --present vsync in a real X window (Xvfb, Mesa's software
# OpenGL, no real refresh behind it): a game played 20 seconds with real keys
# keeps the game's own 70 frames a second, by the test's clock against the
# frames the keys were stamped with and by the frame log's finish times; the
# frame log shows every picture after it was finished and in order; the
# recording replays headless to the window run's very log. The display either
# paces the presenter thread or the run falls back to presenting at once,
# saying so in one line, and nothing else is said.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"

$WITHOUT_LEAK_CHECK "$BIN" --window --renderer gpu --present vsync --record "$TMP/session.txt" \
    --log "$TMP/window.log" --frame-log "$TMP/frames.txt" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
now_us() { echo $(($(date +%s%N) / 1000)); }
sleep 1
xdotool key --delay 150 Return Return  # the intro, then GAME A
sleep 1.5
# Twenty seconds of play, a key a second: too few for the pieces to fill
# the well at the first level's speed. The first Left and the last Right
# mark the stretch on the test's clock.
started=$(now_us)
for key in Left Up Right Left Down Right Up Left Right Up \
    Left Down Right Up Left Right Left Up Down; do
    xdotool key "$key"
    sleep 1
done
ended=$(now_us)
xdotool key Right
sleep 0.3
xdotool key --delay 150 Escape Up Return  # to the menu, up to "QUIT"
expect_quit

# Mesa's software OpenGL must have drawn it: the GPU path opened.
if grep -q "cannot draw with the GPU" "$TMP/game.err"; then
    fail "the GPU path did not open (Mesa's software OpenGL, package libgl1-mesa-dri;" \
        "./tools/install-deps.sh installs it): $(cat "$TMP/game.err")"
fi
grep -v "^fompy-talden: cannot present with vsync: .*; presenting at once$" "$TMP/game.err" \
    >"$TMP/said" && fail "the run said more than a fallback: $(cat "$TMP/said")"
[ "$(wc -l <"$TMP/game.err")" -le 1 ] || fail "the fallback was said twice: $(cat "$TMP/game.err")"

python3 "$HERE/check_pace.py" "$TMP/session.txt" "$TMP/window.log" "$TMP/frames.txt" \
    "$started" "$ended" || fail "the pace of the vsync run"

"$BIN" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
cmp -s "$TMP/window.log" "$TMP/replay.log" ||
    fail "the replay differs from the window run: $(cmp "$TMP/window.log" "$TMP/replay.log")"
exit 0
