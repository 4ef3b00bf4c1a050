#!/bin/sh
# SPDX-License-Identifier: MIT
# Every way a window run ends: a close request from the window manager in the
# intro, the menu, a game and the game-over screen, and SIGTERM; each ends the
# run at once with status 0, a log whose last line is "end close", and a
# recording that replays headless to the identical log; so does the display
# going away under the game. A recording whose
# disk fills up is told once, keeps the game going, holds only whole lines
# and still replays; the run then exits 1.
set -u
BIN="$1"
WM_CLOSE="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"

press() { xdotool key --delay 80 "$@"; sleep 0.2; }

# start NAME [OPTIONS...]: a window run logged and recorded as NAME.
start() {
    name=$1
    shift
    "$BIN" --window --log "$TMP/$name.log" --record "$TMP/$name.txt" "$@" 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 10 xdotool search --sync --pid "$GAME_PID" --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "$name: no window appeared: $(cat "$TMP/game.err")"
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    sleep 0.3
}

# ended NAME: the run ended at once with status 0 after a close, its log says
# so, and its recording replays headless to the same log.
ended() {
    name=$1
    for _ in $(seq 30); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$GAME_PID" 2>/dev/null && fail "$name: the game did not end after the close"
    wait "$GAME_PID"
    status=$?
    GAME_PID=""
    [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$TMP/game.err")"
    [ "$(tail -n 1 "$TMP/$name.log" | cut -d' ' -f2-)" = "end close" ] ||
        fail "$name: the log ends with '$(tail -n 1 "$TMP/$name.log")'"
    grep -q " close$" "$TMP/$name.txt" || fail "$name: the recording holds no close"
    "$BIN" --headless --script "$TMP/$name.txt" --log "$TMP/$name.replay" ||
        fail "$name: the recording does not replay"
    cmp -s "$TMP/$name.log" "$TMP/$name.replay" ||
        fail "$name: the replay differs: $(diff "$TMP/$name.log" "$TMP/$name.replay" | head -4)"
}

start intro
"$WM_CLOSE" "$WINDOW" || fail "intro: the close request was not sent"
ended intro

start menu
press Return
press Down
"$WM_CLOSE" "$WINDOW"
ended menu
grep -q " sound loop 117$" "$TMP/menu.log" || fail "menu: the menu was never shown"

start game
press Return
press Return
sleep 0.5
press Left
"$WM_CLOSE" "$WINDOW"
ended game
grep -q " sound play 107$" "$TMP/game.log" || fail "game: no game was started"

# Ten times the speed, so that holding Down piles pieces up to the top soon.
start gameover --fps 700
press Return
press Return
xdotool keydown Down
sleep 3
xdotool keyup Down
sleep 0.3
grep -q " sound play 111$" "$TMP/gameover.log" || fail "gameover: the game did not end"
"$WM_CLOSE" "$WINDOW"
ended gameover

start signal
press Return
press Return
sleep 0.3
kill -TERM "$GAME_PID"
ended signal

# --- The display going away under the game (the X server killed): a close
# like any other, in the intro's wait, in a game and while paused; the
# settings are written as at any clean end.
SESSION_DISPLAY=$DISPLAY
lost() {  # lost NAME KEYS...
    name=$1
    shift
    rm -f "$TMP/lostfd" "$XDG_CONFIG_HOME/fompy-talden/settings.ini"
    exec 4>"$TMP/lostfd"
    Xvfb -displayfd 4 -screen 0 800x600x24 -nolisten tcp >"$TMP/lost-xvfb.log" 2>&1 &
    lost_xvfb=$!
    for _ in $(seq 50); do [ -s "$TMP/lostfd" ] && break; sleep 0.1; done
    [ -s "$TMP/lostfd" ] || fail "$name: Xvfb did not start: $(cat "$TMP/lost-xvfb.log")"
    DISPLAY=":$(head -n 1 "$TMP/lostfd")"
    start "$name"
    [ $# -gt 0 ] && press "$@"
    sleep 0.5
    kill -KILL "$lost_xvfb"
    wait "$lost_xvfb" 2>/dev/null
    ended "$name"
    DISPLAY=$SESSION_DISPLAY
    grep -qxF "fompy-talden: the display went away; the game ends as if closed" "$TMP/game.err" ||
        fail "$name: the loss was not told: $(cat "$TMP/game.err")"
    [ -s "$XDG_CONFIG_HOME/fompy-talden/settings.ini" ] || fail "$name: the settings were not written"
}
lost lost-intro
lost lost-game Return Return Return
lost lost-paused Return Return Return p

# --- A full disk under the recording: a small file system of our own, where
# mounting is allowed (as root on CI).
FULL="$TMP/full"
mkdir -p "$FULL"
if ! mount -t tmpfs -o size=64k tmpfs "$FULL" 2>/dev/null; then
    echo "close: cannot mount a small file system here (not root?); the full-disk case is skipped"
    exit 0
fi
cleanup_full() { umount "$FULL" 2>/dev/null; cleanup; }
trap cleanup_full EXIT
"$BIN" --window --log "$FULL/window.log" --record "$FULL/session.txt" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --pid "$GAME_PID" --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "full disk: no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
sleep 0.3
press Return
# The disk fills up while the menu runs: the log, a line a frame, soon
# reaches the end of its last block.
cat /dev/zero >"$FULL/filler" 2>/dev/null
for _ in $(seq 10); do press Down Up; done
kill -0 "$GAME_PID" 2>/dev/null || fail "full disk: the game stopped: $(cat "$TMP/game.err")"
"$WM_CLOSE" "$WINDOW"
for _ in $(seq 30); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
wait "$GAME_PID"
status=$?
GAME_PID=""
[ "$status" -eq 1 ] || fail "full disk: exit status $status, expected 1"
told=$(grep -c "cannot write the log '$FULL/window.log': No space left on device" "$TMP/game.err")
[ "$told" -eq 2 ] ||
    fail "full disk: told $told times, not once when it happened and once at the end: $(cat "$TMP/game.err")"
for file in window.log session.txt; do
    [ -s "$FULL/$file" ] || fail "full disk: $file is empty"
    [ "$(tail -c 1 "$FULL/$file" | od -An -c | tr -d ' ')" = '\n' ] ||
        fail "full disk: the last line of $file is torn"
done
grep -Ev '^[0-9]+ (present|primary) [0-9a-f]{8} [0-9a-f]{8}$|^[0-9]+ sound |^[0-9]+ reseed ' \
    "$FULL/window.log" >"$TMP/odd" && fail "full disk: the log holds a torn line: $(head -2 "$TMP/odd")"
"$BIN" --headless --script "$FULL/session.txt" --log "$TMP/cut.log" ||
    fail "full disk: the recording does not replay"

# A headless run stops at once, its log cut back to the last whole line.
rm -f "$FULL/filler" "$FULL/window.log"
head -c 40000 /dev/zero >"$FULL/filler"
"$BIN" --headless --script "$HERE/../../bench/sessions/long.txt" --log "$FULL/headless.log" \
    2>"$TMP/err"
[ $? -eq 1 ] || fail "headless full disk: not exit status 1"
grep -q "^fompy-talden: cannot write the log '$FULL/headless.log': No space left on device$" \
    "$TMP/err" || fail "headless full disk: $(cat "$TMP/err")"
[ -s "$FULL/headless.log" ] || fail "headless full disk: nothing of the log was kept"
[ "$(tail -c 1 "$FULL/headless.log" | od -An -c | tr -d ' ')" = '\n' ] ||
    fail "headless full disk: the log's last line is torn"
exit 0
