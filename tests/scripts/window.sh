#!/bin/sh
# SPDX-License-Identifier: MIT
# The players' platform in a real X window (Xvfb): it opens, shows the very
# picture the headless run draws (converted through the palette, scaled 2 by
# 2.4 into a 640x480 window), takes keys from the X server, and ends with
# status 0 after "QUIT". Without a display it says so and exits with 1.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"

# No display at all: one clear line and status 1.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy \
    LSAN_OPTIONS="suppressions=$HERE/lsan.supp:print_suppressions=0" "$BIN" --window 2>"$TMP/err"
status=$?
[ "$status" -eq 1 ] || fail "without a display the status is $status, not 1"
grep -q "^fompy-talden: cannot open display: .*is DISPLAY set?$" "$TMP/err" ||
    fail "unclear message without a display: $(cat "$TMP/err")"
[ "$(wc -l <"$TMP/err")" -eq 1 ] || fail "more than one line without a display: $(cat "$TMP/err")"

. "$HERE/xvfb_session.inc"

"$BIN" --window --scale 2 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
sleep 1  # the intro draws its mosaic and title at once, then waits for Enter

# The same picture from a headless run: the intro's second picture.
"$BIN" --headless --dump "$TMP/pics" >/dev/null || fail "headless run failed"
convert "$TMP/pics/000001.png" -depth 8 "ppm:$TMP/intro.ppm"
import -window "$WINDOW" -depth 8 "ppm:$TMP/shot.ppm" || fail "no screenshot"
python3 "$HERE/compare_picture.py" "$TMP/shot.ppm" "$TMP/intro.ppm" 0 0 640 480 ||
    fail "the window does not show the intro picture"

# Through the intro to the menu, up to "QUIT" and out.
xdotool key --window "$WINDOW" Return
sleep 0.5
xdotool key --window "$WINDOW" Up
sleep 0.3
xdotool key --window "$WINDOW" Return
expect_quit
exit 0
