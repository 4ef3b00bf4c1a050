#!/bin/sh
# SPDX-License-Identifier: MIT
# The desktop's own keys and window in a real X session (Xvfb 800x600), first
# bare, then under a small window manager (evilwm):
# - fullscreen fills the screen and shows the headless run's picture, with
#   or without a window manager, and Alt+Enter goes both ways;
# - the keypad's arrows (NumLock off) and its Enter play;
# - input after a wait is stamped with the frames the wait took, and the
#   recording replays headless to the window run's very log;
# - a --scale too large for the screen is lowered, in one line;
# - the window carries the icon drawn from the game's tiles.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"
WM_PID=""
trap 'kill $WM_PID 2>/dev/null; cleanup' EXIT

"$BIN" --headless --dump "$TMP/pics" >/dev/null || fail "headless run failed"
convert "$TMP/pics/000001.png" -depth 8 "ppm:$TMP/intro.ppm"

# The game's window: its position and size as "X,Y WxH".
geometry() {
    xwininfo -id "$WINDOW" | awk '/Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF }
        END { print x "," y " " w "x" h }'
}
# Waits up to three seconds for the window's geometry to end with $1.
expect_geometry() {
    for _ in $(seq 30); do
        case "$(geometry)" in *"$1") return 0 ;; esac
        sleep 0.1
    done
    fail "$2: the window is at $(geometry), not $1"
}
# The window shows the intro's picture over all of its W by H pixels.
expect_intro() {
    sleep 0.3
    import -window "$WINDOW" -depth 8 "ppm:$TMP/shot.ppm" || fail "no screenshot"
    python3 "$HERE/compare_picture.py" "$TMP/shot.ppm" "$TMP/intro.ppm" 0 0 "$1" "$2" ||
        fail "$3: the window does not show the intro picture"
}
start_game() {
    "$BIN" "$@" 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
}
stop_game() {
    kill "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
}
# The icon the window carries (_NET_WM_ICON) has the pixels of the installed
# icon of the same size, drawn by the build from the same tiles.
expect_icon() {
    xprop -id "$WINDOW" -notype 32c _NET_WM_ICON >"$TMP/icon.txt" ||
        fail "the window's icon cannot be read"
    python3 - "$TMP/icon.txt" "$(dirname "$BIN")/icons" <<'EOF' || fail "the window's icon"
import os, subprocess, sys
words = open(sys.argv[1]).read().split("=", 1)[-1].replace(",", " ").split()
if not words or not words[0].isdigit():
    sys.exit("the window has no icon")
width, height = int(words[0]), int(words[1])
pixels = [int(w) & 0xFFFFFFFF for w in words[2:2 + width * height]]
png = os.path.join(sys.argv[2], f"fompy-talden-{width}.png")
if width != height or not os.path.exists(png):
    sys.exit(f"an icon of {width}x{height}, a size the build does not draw")
rgba = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True,
                      capture_output=True).stdout
for i, argb in enumerate(pixels):
    r, g, b, a = rgba[4 * i:4 * i + 4]
    want = (a << 24) | (r << 16) | (g << 8) | b if a else 0
    if (argb if argb >> 24 else 0) != want:
        sys.exit(f"icon pixel {i % width},{i // width} is {argb:08x}, the built icon's {want:08x}")
EOF
}

# --- No window manager: the window covers the screen itself.
start_game --record "$TMP/session.txt" --log "$TMP/window.log"
expect_geometry "0,0 800x600" "fullscreen at start without a window manager"
expect_intro 800 600 "fullscreen without a window manager"
expect_icon
sleep 1.5
# Alt+Enter: a window, and the intro, which ends at an Enter, goes on waiting.
xdotool key alt+Return
expect_geometry "80,60 640x480" "Alt+Enter to a window without a window manager"
expect_intro 640 480 "the window after Alt+Enter"
xdotool key alt+Return
expect_geometry "0,0 800x600" "Alt+Enter back to fullscreen without a window manager"
expect_intro 800 600 "fullscreen again"
# The keypad: its Enter leaves the intro; in the menu down, up and up again
# (the marker wraps to "QUIT"), its Enter chooses.
xdotool key --delay 150 KP_Enter
sleep 0.5
xdotool key --delay 150 KP_Down KP_Up KP_Up KP_Enter
expect_quit

events=$(grep -v '^#' "$TMP/session.txt" | grep -v '^reseed ')
first=$(echo "$events" | head -n 1)
[ "$(echo "$first" | cut -d' ' -f2-)" = "enter down" ] ||
    fail "the game's first key was not the keypad's Enter: $(echo "$events" | head -n 3)"
# Seconds in the intro: the Enter that ends it comes well after 140 frames.
[ "$(echo "$first" | cut -d' ' -f1)" -ge 140 ] ||
    fail "the intro's wait is not stamped with the frames it took: $first"
[ "$(echo "$events" | cut -d' ' -f2- | tr '\n' ',')" = \
  "enter down,enter up,down down,down up,up down,up up,up down,up up,enter down," ] ||
    fail "the keypad's keys did not arrive as the game's: $(echo "$events" | tr '\n' ',')"
"$BIN" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
diff "$TMP/window.log" "$TMP/replay.log" >"$TMP/diff" ||
    fail "the replay differs from the window run: $(head -n 6 "$TMP/diff")"

# A window too large for the screen: the largest scale that fits, said once.
start_game --window --scale 8
expect_geometry "80,60 640x480" "--scale 8 on an 800x600 screen"
stop_game
said="fompy-talden: a window of --scale 8 (2560x1920) is larger than the screen's usable"
[ "$(cat "$TMP/game.err")" = "$said 800x600; --scale 2 instead" ] ||
    fail "the lowered scale is not said in one line: $(cat "$TMP/game.err")"

# --- Under a window manager, which carries out the fullscreen itself.
evilwm -fn fixed >"$TMP/wm.log" 2>&1 &
WM_PID=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' ||
    fail "the window manager did not start: $(cat "$TMP/wm.log")"
start_game
expect_geometry "0,0 800x600" "fullscreen at start under a window manager"
expect_intro 800 600 "fullscreen under a window manager"
xdotool key alt+Return
expect_geometry " 640x480" "Alt+Enter to a window under a window manager"
expect_intro 640 480 "the window under a window manager"
expect_icon
xdotool key alt+Return
expect_geometry "0,0 800x600" "Alt+Enter back to fullscreen under a window manager"
expect_intro 800 600 "fullscreen again under a window manager"
stop_game
exit 0
