#!/bin/sh
# SPDX-License-Identifier: MIT
# The players' comforts in a real X window (Xvfb), none of which may leave a
# trace in the game's run:
# - F12 saves the picture on the screen as a 640x480 PNG, the headless
#   run's picture scaled, and names the file in one line;
# - a volume key shows the volume over the picture for a moment;
# - P pauses a game: no picture is presented while paused, the window shows
#   the picture dimmed with PAUSED in the middle and "PRESS P" under it, the
#   game's keys wait, P resumes;
# - the window losing the keyboard pauses, "PRESS ANY KEY", and a game key
#   resumes without reaching the game;
# - the session, pauses and all, replays headless to the window run's log.
# Where each key goes, and what a pause lets go of, the player platform's
# unit tests tell; here, what only a real window shows.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"

"$BIN" --headless --dump "$TMP/pics" >/dev/null || fail "headless run failed"
convert "$TMP/pics/000001.png" -depth 8 "ppm:$TMP/intro.ppm"

# A desktop names its Pictures folder in user-dirs.dirs, not in the
# environment: the screenshots go into the folder it names.
mkdir -p "$XDG_CONFIG_HOME"
# shellcheck disable=SC2016 # $HOME is the file's own, read by the game
printf '# written by xdg-user-dirs-update\nXDG_PICTURES_DIR="$HOME/Bilder"\n' \
    >"$XDG_CONFIG_HOME/user-dirs.dirs"
env -u XDG_PICTURES_DIR "$BIN" --window --record "$TMP/session.txt" --log "$TMP/window.log" \
    >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
presents() { grep -c ' present ' "$TMP/window.log"; }
# The file the latest "screenshot saved as" line names.
shot_file() { sed -n 's/^fompy-talden: screenshot saved as //p' "$TMP/game.out" | tail -n 1; }
# Waits up to three seconds for the n-th screenshot line.
expect_shot() {
    for _ in $(seq 30); do
        [ "$(grep -c 'screenshot saved as' "$TMP/game.out")" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "no screenshot line after F12: $(cat "$TMP/game.out" "$TMP/game.err")"
}
# Fails unless no picture is presented for a second.
expect_still() {
    before=$(presents)
    sleep 1
    [ "$(presents)" -eq "$before" ] || fail "$1: $(($(presents) - before)) pictures presented"
}

# --- F12 in the intro: the intro's picture, 640x480, through the palette.
sleep 1
xdotool key F12
expect_shot 1
shot=$(shot_file)
case "$shot" in
    "$HOME/Bilder/fompy-talden/fompy-talden-"[0-9]*-[0-9]*.png) ;;
    *) fail "the screenshot is not where and as it should be: '$shot'" ;;
esac
[ "$(identify -format '%wx%h' "$shot")" = "640x480" ] || fail "the screenshot is not 640x480"
convert "$shot" -depth 8 "ppm:$TMP/shot1.ppm"
python3 "$HERE/compare_picture.py" "$TMP/shot1.ppm" "$TMP/intro.ppm" 0 0 640 480 ||
    fail "the screenshot is not the intro's picture"

# --- A volume key: the volume over the top of the picture for a moment,
# never in the picture (the screenshots above and the replay below).
expect_volume_note "$HERE" "$TMP/shot1.ppm" "$TMP/intro.ppm"

# --- A game, paused by P: the window says how to go on.
convert "$HERE/../golden/paused/press-p.png" -depth 8 "ppm:$TMP/press-p.ppm"
convert "$HERE/../golden/paused/press-any-key.png" -depth 8 "ppm:$TMP/press-any-key.ppm"
# The window, paused: the picture at half its brightness, and in white the
# word and the hint under it, pixel for pixel.
expect_paused() {
    xdotool key F12
    expect_shot "$1"
    convert "$(shot_file)" -depth 8 "ppm:$TMP/undimmed.ppm"
    import -window "$WINDOW" -depth 8 "ppm:$TMP/paused.ppm" || fail "no picture of the window"
    python3 "$HERE/check_overlay.py" paused "$TMP/undimmed.ppm" "$TMP/paused.ppm" "$TMP/$2.ppm" ||
        fail "the paused window ($2)"
}
xdotool key --delay 200 Return Return
sleep 1.5
xdotool key p
expect_still "while paused by P"
expect_paused 2 press-p
# The game's keys wait for P.
xdotool key Left
expect_still "after Left in a pause by P"
xdotool key p
sleep 0.5
before=$(presents)
sleep 0.5
[ "$(presents)" -gt "$before" ] || fail "the game did not go on after P"

# --- The window loses the keyboard: paused until any of the game's keys,
# which moves nothing.
ROOT=$(xwininfo -root | awk '/Window id:/ { print $4 }')
[ -n "$ROOT" ] || fail "no root window to give the keyboard to"
xdotool windowfocus "$ROOT" || fail "the keyboard could not be taken from the window"
sleep 0.3
expect_still "after losing the keyboard"
xdotool windowfocus "$WINDOW"
expect_paused 3 press-any-key
xdotool key Left
sleep 0.5
before=$(presents)
sleep 0.5
[ "$(presents)" -gt "$before" ] || fail "the game did not go on after Left"
kill -TERM "$GAME_PID"
expect_quit

! grep -q ' left ' "$TMP/session.txt" ||
    fail "a key pressed in a pause reached the game: $(grep ' left ' "$TMP/session.txt")"
"$BIN" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
diff "$TMP/window.log" "$TMP/replay.log" >"$TMP/diff" ||
    fail "the replay differs from the window run: $(head -n 6 "$TMP/diff")"

exit 0
