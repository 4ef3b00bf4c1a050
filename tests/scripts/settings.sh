#!/bin/sh
# SPDX-License-Identifier: MIT
# The settings file in a real X window (Xvfb, no window manager):
# - the first start is fullscreen; Alt+Enter to a window and a clean end
#   remember the window, and the next start without options opens one;
# - an option of one run (--fullscreen) is not remembered;
# - a corrupt file is said line by line, its defaults used, and the game
#   ends with status 0 after QUIT, the player's lines left as written;
# - a FIFO or an oversized file is told once and left alone; a link is
#   written through, the file's mode kept; --no-settings reads and writes nothing;
# - a key bound in the file moves the piece, and the key it replaced does not;
# - the volume scales what the sound device plays: silent at 0, half the
#   amplitude at 50 (SDL's "disk" driver writes what it plays to a file);
# - the first start, with no settings file yet, names the port's keys once on
#   standard output; the next start, and one with --no-settings, does not.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"
SETTINGS="$XDG_CONFIG_HOME/fompy-talden/settings.ini"
NOTE="fompy-talden: P pauses, Alt+Enter switches fullscreen, F12 saves a screenshot"
notes() { grep -c -x -F "$NOTE" "$TMP/game.out"; }

geometry() {
    xwininfo -id "$WINDOW" | awk '/Width:/ { w = $NF } /Height:/ { h = $NF }
        END { print w "x" h }'
}
expect_geometry() {
    for _ in $(seq 30); do
        [ "$(geometry)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "$2: the window is $(geometry), not $1"
}
start_game() {
    "$BIN" "$@" >"$TMP/game.out" 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
    sleep 0.5
}
# A clean end by a signal, as a closed terminal or a logout ends the game.
end_game() {
    kill -TERM "$GAME_PID"
    expect_quit
}

# --- Fullscreen first; a window after Alt+Enter, remembered.
[ ! -e "$SETTINGS" ] || fail "a settings file before the first start"
start_game
expect_geometry 800x600 "the first start"
xdotool key alt+Return
expect_geometry 640x480 "Alt+Enter"
end_game
[ "$(notes)" -eq 1 ] && [ "$(wc -l <"$TMP/game.out")" -eq 1 ] ||
    fail "the first start did not name the keys once: $(cat "$TMP/game.out")"
grep -q '^fullscreen = no$' "$SETTINGS" || fail "the window is not remembered: $(cat "$SETTINGS")"
echo "# mine" >>"$SETTINGS"
echo "colour = green" >>"$SETTINGS"
start_game
expect_geometry 640x480 "the start after a window was left"
end_game
[ "$(notes)" -eq 0 ] || fail "the second start named the keys again: $(cat "$TMP/game.out")"
grep -q '^colour = green$' "$SETTINGS" || fail "an unknown setting was dropped"
grep -q '^# mine$' "$SETTINGS" || fail "a comment was dropped"
[ -z "$(ls "$(dirname "$SETTINGS")" | grep -v "^settings.ini$")" ] || fail "a temporary file was left behind"
# An option for one run is not remembered.
start_game --fullscreen
expect_geometry 800x600 "--fullscreen over a remembered window"
end_game
grep -q '^fullscreen = no$' "$SETTINGS" || fail "--fullscreen was remembered"

# --- A corrupt file: one line a fault, the defaults, and QUIT as ever.
printf 'volume = loud\nthis is not a setting\nleft = Nope\nright = A\nleft = A\n' >"$SETTINGS"
start_game --window
xdotool key --delay 200 Return Up Return
expect_quit
err=$(cat "$TMP/game.err")
for said in "$SETTINGS:1: 'volume' expects a whole number from 0 to 100, not 'loud'; 100 instead" \
    "$SETTINGS:2: not a \"name = value\" line: 'this is not a setting'; passed over" \
    "$SETTINGS:3: 'left' has no key named 'Nope'; Left, Keypad4 instead" \
    "$SETTINGS:5: A cannot be both 'left' and 'right'; the default keys instead"; do
    echo "$err" | grep -qxF "fompy-talden: $said" || fail "not said: '$said' in: $err"
done
[ "$(echo "$err" | wc -l)" -eq 4 ] || fail "more than the four faults said: $err"
# Nothing was changed in the run: every line stays as the player wrote it.
printf 'volume = loud\nthis is not a setting\nleft = Nope\nright = A\nleft = A\n' >"$TMP/corrupt"
head -n 5 "$SETTINGS" | cmp -s - "$TMP/corrupt" || fail "the player's lines were rewritten: $(cat "$SETTINGS")"
# A run that changes fullscreen rewrites that line alone.
start_game --window
xdotool key alt+Return
expect_geometry 800x600 "Alt+Enter to fullscreen"
end_game
head -n 5 "$SETTINGS" | cmp -s - "$TMP/corrupt" || fail "the player's lines were rewritten: $(cat "$SETTINGS")"
grep -q '^fullscreen = yes$' "$SETTINGS" || fail "the change was not written: $(cat "$SETTINGS")"

# --- What cannot be read is never waited on nor written over: a FIFO, an
# oversized file; a link is written through and the file's mode kept.
rm "$SETTINGS"
mkfifo "$SETTINGS"
start_game --window
end_game
[ -p "$SETTINGS" ] || fail "the FIFO was replaced"
grep -qxF "fompy-talden: cannot read the settings '$SETTINGS': a FIFO, not a file; the defaults instead, and the file is left as it is" \
    "$TMP/game.err" || fail "the FIFO was not told: $(cat "$TMP/game.err")"
rm "$SETTINGS"
yes 'fullscreen = no' | head -n 5000 >"$SETTINGS"
cp "$SETTINGS" "$TMP/large"
start_game --window
end_game
cmp -s "$SETTINGS" "$TMP/large" || fail "the oversized file was written over"
[ "$(wc -l <"$TMP/game.err")" -eq 1 ] || fail "the oversized file was not told once: $(cat "$TMP/game.err")"
rm "$SETTINGS"
mkdir -p "$TMP/dotfiles"
printf 'fullscreen = yes\n' >"$TMP/dotfiles/fompy.ini"
chmod 600 "$TMP/dotfiles/fompy.ini"
ln -s "$TMP/dotfiles/fompy.ini" "$SETTINGS"
start_game
expect_geometry 800x600 "fullscreen through a link"
xdotool key alt+Return
expect_geometry 640x480 "Alt+Enter through a link"
end_game
[ -L "$SETTINGS" ] || fail "the link was replaced by a file"
grep -q '^fullscreen = no$' "$TMP/dotfiles/fompy.ini" || fail "the link's target was not written"
[ "$(stat -c %a "$TMP/dotfiles/fompy.ini")" = 600 ] || fail "the mode 600 was lost"
[ -z "$(ls "$TMP/dotfiles" | grep -v '^fompy.ini$')" ] || fail "a temporary file was left beside the target"

# --- --no-settings: nothing read, nothing written.
printf 'fullscreen = no\n' >"$SETTINGS"
start_game --no-settings
expect_geometry 800x600 "--no-settings"
xdotool key alt+Return
end_game
[ "$(cat "$SETTINGS")" = "fullscreen = no" ] || fail "--no-settings wrote: $(cat "$SETTINGS")"
rm "$SETTINGS"
# With no file and --no-settings, this is no first start to tell of.
start_game --no-settings --window
end_game
[ "$(notes)" -eq 0 ] || fail "--no-settings named the keys: $(cat "$TMP/game.out")"
[ ! -e "$SETTINGS" ] || fail "--no-settings wrote a settings file"

# --- Another key: A moves the piece left, the arrow does not any more.
printf 'left = A\n' >"$SETTINGS"
start_game --window --record "$TMP/session.txt"
xdotool key --delay 200 Return Return
sleep 1
xdotool key --delay 200 a Left
sleep 0.3
end_game
moves=$(grep -v '^#' "$TMP/session.txt" | grep -v '^reseed ' | cut -d' ' -f2- | tr '\n' ',')
[ "$moves" = "enter down,enter up,enter down,enter up,left down,left up,close," ] ||
    fail "A is not the game's Left, or Left still is: $moves"

# --- The volume, on SDL's disk driver: the intro's sound at 100, 50 and 0.
rm "$SETTINGS"
for volume in 100 50 0; do
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$TMP/sound-$volume.raw" \
        start_game --window --no-settings --volume "$volume"
    sleep 1.5
    end_game
done
python3 - "$TMP" <<'EOF' || fail "the volume"
import array, sys
def samples(volume):
    data = array.array("h")
    data.frombytes(open(f"{sys.argv[1]}/sound-{volume}.raw", "rb").read())
    start = next((i for i, s in enumerate(data) if s != 0), len(data))
    return data[start:]
full, half, none = samples(100), samples(50), samples(0)
if len(full) < 20000 or len(half) < 20000:
    sys.exit(f"too little sound: {len(full)} and {len(half)} samples")
if len(none) != 0:
    sys.exit("sound at volume 0")
# Both start with the cue's first sample, at the start of a buffer.
for i in range(min(len(full), len(half), 40000)):
    if half[i] != int(full[i] * 50 / 100):
        sys.exit(f"sample {i} at 50 is {half[i]}, at 100 {full[i]}")
EOF
exit 0
