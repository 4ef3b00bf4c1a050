#!/bin/sh
# SPDX-License-Identifier: MIT
# --scaling sharp as the window shows it, fullscreen on screens of 1280x960
# and 1920x1080 (Xvfb), drawn by the program itself and by the GPU (Mesa's
# software OpenGL): in a screenshot of the intro, every game row's unblended
# part is within one window row of every other's, with a blended edge
# between two rows; and the same across, where at 1280 each column is
# exactly four window columns.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
"$BIN" --headless --dump "$TMP/pics" >/dev/null || fail "headless run failed"
convert "$TMP/pics/000001.png" -depth 8 "ppm:$TMP/intro.ppm"

# expect_even_rows RENDERER LEFT TOP WIDTH HEIGHT: the intro fullscreen on
# the screen of the X server running, the picture at that place.
expect_even_rows() {
    check_leaks=""
    [ "$1" = gpu ] && check_leaks=$WITHOUT_LEAK_CHECK
    $check_leaks "$BIN" --fullscreen --scaling sharp --renderer "$1" --no-settings 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
    sleep 1.5  # the intro draws its mosaic and title at once, then waits for Enter
    timeout 20 import -window "$WINDOW" -depth 8 "ppm:$TMP/shot.ppm" || fail "no screenshot"
    kill "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
    [ -s "$TMP/game.err" ] && fail "$1 at $XVFB_SCREEN: $(cat "$TMP/game.err")"
    echo "sharp: $1, fullscreen at $XVFB_SCREEN:"
    python3 "$HERE/check_rows.py" "$TMP/shot.ppm" "$TMP/intro.ppm" "$2" "$3" "$4" "$5" ||
        fail "--scaling sharp, $1, fullscreen at $XVFB_SCREEN"
}
# A screen of each size in turn, its own X server.
screen() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null
    XVFB_SCREEN=$1
    . "$HERE/xvfb_session.inc"
}
screen 1280x960
expect_even_rows software 0 0 1280 960
expect_even_rows gpu 0 0 1280 960
screen 1920x1080
expect_even_rows software 240 0 1440 1080
expect_even_rows gpu 240 0 1440 1080
exit 0
