#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows program's comforts in a real window under Wine and Xvfb, none
# of which may leave a trace in the game's run:
# - F12 saves the picture on the screen as a 640x480 PNG in the user's
#   Pictures folder, the headless run's picture scaled, named in one line;
# - a volume key shows the volume over the picture for a moment;
# - P pauses a game: no picture is presented while paused, the window shows
#   the picture dimmed with PAUSED in the middle and "PRESS P" under it, P
#   resumes; the window losing the keyboard pauses, "PRESS ANY KEY", and a
#   game key resumes without reaching the game; the session, pauses and all,
#   replays headless on Linux to the window run's log;
# - the settings file in the user's AppData remembers fullscreen, as Alt+Enter
#   left it, for the next start, and the keys a player gave there play; the
#   file's comment names Windows' folders, and the first start, before there
#   is a file, names the port's keys once on standard output;
# - the paths it prints (the screenshots') have one kind of separator.
# The user's folders are the test prefix's own, emptied of the game's first.
#
#   comforts.sh WINDOWS_PROGRAM.exe LINUX_PROGRAM
set -u
EXE="$1"
LINUX="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
. "$HERE/wine.inc"

wine_window_session "$LINUX"

APPDATA_DIR=$(unix_folder '%APPDATA%')
PROFILE_DIR=$(unix_folder '%USERPROFILE%')
[ -d "$APPDATA_DIR" ] && [ -d "$PROFILE_DIR" ] || fail "no user folders in the prefix"
SETTINGS="$APPDATA_DIR/fompy-talden/settings.ini"
SHOTS="$PROFILE_DIR/Pictures/fompy-talden"
# Wine may link Pictures to the real user's; then the test points it elsewhere.
if [ -L "$PROFILE_DIR/Pictures" ]; then
    mkdir -p "$TMP/pictures"
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
        /v 'My Pictures' /t REG_EXPAND_SZ /d "$(winepath -w "$TMP/pictures")" /f >/dev/null 2>&1
    SHOTS="$TMP/pictures/fompy-talden"
fi
rm -rf "$APPDATA_DIR/fompy-talden" "$SHOTS"

"$LINUX" --headless --dump "$TMP/pics" >/dev/null || fail "headless run failed"
convert "$TMP/pics/000001.png" -depth 8 "ppm:$TMP/intro.ppm"

start_game() {
    wine "$EXE" "$@" >"$TMP/game.out" 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 20 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
    xdotool windowfocus "$WINDOW" 2>/dev/null
    sleep 1.5
}
size() { xdotool getwindowgeometry "$WINDOW" | sed -n 's/^ *Geometry: //p'; }
# Closes the window; in a game the player leaves it by "QUIT".
quit_game() {
    "$WM_CLOSE" "$WINDOW" || fail "cannot send the close request"
    # Wine on a busy machine, in a prefix just made, can take its time.
    for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$GAME_PID" 2>/dev/null; then
        xdotool key --delay 150 Escape Up Return
    fi
    for _ in $(seq 50); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end after the close request" \
        "(windows named so: $(xdotool search --name '^FOMPY TALDEN$' | tr '\n' ' '))" \
        "(the game said: $(cat "$TMP/game.err"))"
    wait "$GAME_PID"
    status=$?
    GAME_PID=""
    [ "$status" -eq 0 ] || fail "exit status $status: $(cat "$TMP/game.err")"
}
presents() { grep -c ' present ' "$TMP/window.log"; }
shot_file() { sed -n 's/^fompy-talden: screenshot saved as //p' "$TMP/game.out" | tail -n 1; }
expect_shot() {
    for _ in $(seq 30); do
        [ "$(grep -c 'screenshot saved as' "$TMP/game.out")" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "no screenshot line after F12: $(cat "$TMP/game.out" "$TMP/game.err")"
}
# The file a "saved as" line names, on this machine.
unix_shot() { winepath -u "$(shot_file | tr -d '\r')" 2>/dev/null; }

# --- A window, remembering nothing yet; F12 in the intro.
start_game --window --scale 2 --record "$TMP/session.txt" --log "$TMP/window.log"
xdotool key F12
expect_shot 1
case "$(shot_file)" in
    */*) fail "the screenshot's name mixes separators: '$(shot_file)'" ;;
esac
shot=$(unix_shot)
case "$shot" in
    "$SHOTS/fompy-talden-"[0-9]*-[0-9]*.png) ;;
    *) fail "the screenshot is not in the Pictures folder: '$(shot_file)' ('$shot')" ;;
esac
[ "$(identify -format '%wx%h' "$shot")" = "640x480" ] || fail "the screenshot is not 640x480"
convert "$shot" -depth 8 "ppm:$TMP/shot1.ppm"
python3 "$ROOT/tests/scripts/compare_picture.py" "$TMP/shot1.ppm" "$TMP/intro.ppm" 0 0 640 480 ||
    fail "the screenshot is not the intro's picture"

# --- A volume key: the volume over the top of the picture for a moment.
expect_volume_note "$ROOT/tests/scripts" "$TMP/shot1.ppm" "$TMP/intro.ppm"

# --- A game, paused by P: the window says how to go on.
convert "$ROOT/tests/golden/paused/press-p.png" -depth 8 "ppm:$TMP/press-p.ppm"
convert "$ROOT/tests/golden/paused/press-any-key.png" -depth 8 "ppm:$TMP/press-any-key.ppm"
# Nothing presented for a second.
expect_still() {
    before=$(presents)
    sleep 1
    [ "$(presents)" -eq "$before" ] || fail "$1: $(($(presents) - before)) pictures presented"
}
# The window, paused: the picture at half its brightness, and in white the
# word and the hint under it, pixel for pixel.
expect_paused() {
    xdotool key F12
    expect_shot "$1"
    convert "$(unix_shot)" -depth 8 "ppm:$TMP/undimmed.ppm"
    import -window "$WINDOW" -depth 8 "ppm:$TMP/paused.ppm" || fail "no picture of the window"
    python3 "$ROOT/tests/scripts/check_overlay.py" paused "$TMP/undimmed.ppm" "$TMP/paused.ppm" \
        "$TMP/$2.ppm" || fail "the paused window ($2)"
}
xdotool key --delay 200 Return Return
sleep 1.5
xdotool key p
sleep 0.3
expect_still "while paused by P"
expect_paused 2 press-p
xdotool key p
sleep 0.5
before=$(presents)
sleep 0.5
[ "$(presents)" -gt "$before" ] || fail "the game did not go on after P"

# --- The window loses the keyboard: paused until any of the game's keys,
# which moves nothing.
ROOT_WINDOW=$(xwininfo -root | awk '/Window id:/ { print $4 }')
[ -n "$ROOT_WINDOW" ] || fail "no root window to give the keyboard to"
xdotool windowfocus "$ROOT_WINDOW" || fail "the keyboard could not be taken from the window"
sleep 0.5
expect_still "after losing the keyboard"
# Wine gives a window the keyboard back when it is clicked.
xdotool mousemove --window "$WINDOW" 20 20 click 1
sleep 0.5
expect_paused 3 press-any-key
xdotool key Left
sleep 0.5
before=$(presents)
sleep 0.5
[ "$(presents)" -gt "$before" ] || fail "the game did not go on after Left"

# --- Alt+Enter to fullscreen, to be remembered.
xdotool key alt+Return
sleep 0.5
[ "$(size)" = "800x600" ] || fail "Alt+Enter: the window is $(size), not 800x600"
quit_game

! grep -q ' left ' "$TMP/session.txt" ||
    fail "a key pressed in a pause reached the game: $(grep ' left ' "$TMP/session.txt")"
"$LINUX" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
cmp -s "$TMP/window.log" "$TMP/replay.log" ||
    fail "the window's log differs from its replay's: $(cmp "$TMP/window.log" "$TMP/replay.log")"

[ -f "$SETTINGS" ] || fail "no settings file at $SETTINGS"
grep -q '^fullscreen = yes' "$SETTINGS" || fail "fullscreen is not remembered: $(cat "$SETTINGS")"
NOTE="fompy-talden: P pauses, Alt+Enter switches fullscreen, F12 saves a screenshot"
[ "$(tr -d '\r' <"$TMP/game.out" | grep -c -x -F "$NOTE")" -eq 1 ] ||
    fail "the first start did not name the keys once: $(cat "$TMP/game.out")"
grep -q -F '%APPDATA%\fompy-talden\settings.ini' "$SETTINGS" ||
    fail "the settings file's comment does not name where it is: $(cat "$SETTINGS")"
python3 "$ROOT/tools/windows-texts.py" --check "$SETTINGS" ||
    fail "the settings file names Linux paths or variables"

# --- The next start, without options: fullscreen, as the player left it;
# Alt+Enter back to a window, remembered over the file of the last run. The
# player has bound Left to A alone in the file: A moves the piece, the arrow
# does nothing.
grep -q '^left = ' "$SETTINGS" || fail "the keys are not in the settings file: $(cat "$SETTINGS")"
sed -i 's/^left = .*/left = A/' "$SETTINGS"
start_game --record "$TMP/session2.txt"
[ "$(size)" = "800x600" ] || fail "the second start is $(size), not fullscreen"
grep -q -F "$NOTE" "$TMP/game.out" && fail "the second start named the keys again"
xdotool key alt+Return
sleep 0.5
[ "$(size)" = "640x480" ] || fail "Alt+Enter: the window is $(size), not 640x480"
xdotool key --delay 200 Return Return
sleep 1
xdotool key --delay 200 a a Left
sleep 0.3
quit_game
grep -q '^fullscreen = no' "$SETTINGS" || fail "the window is not remembered: $(cat "$SETTINGS")"
grep -q '^left = A$' "$SETTINGS" || fail "the player's keys are not kept: $(cat "$SETTINGS")"
[ "$(grep -c '^[0-9]* left down$' "$TMP/session2.txt")" -eq 2 ] ||
    fail "A, bound to Left, and the arrow, unbound: $(cat "$TMP/session2.txt")"
rm -rf "$APPDATA_DIR/fompy-talden" "$SHOTS"
if [ "$SHOTS" = "$TMP/pictures/fompy-talden" ]; then
    wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
        /v 'My Pictures' /f >/dev/null 2>&1
fi
exit 0
