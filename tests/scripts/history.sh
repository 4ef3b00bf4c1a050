#!/bin/sh
# SPDX-License-Identifier: MIT
# The kept games, in a real X window (Xvfb, no window manager):
# - window runs that play a game each (a GAME B and a GAME A to their game
#   overs among them) are kept, unasked, in the state
#   folder; the one with --record keeps the very recording --record writes;
# - --scores lists their games, best first, with the scores --verify gives
#   for the kept files, and --watch plays the first of them;
# - --no-history keeps nothing, and neither does a run with no game in it;
# - bad files in the folder (cut short, of another version) are passed over
#   with a line each and left as they were, the table as it was;
# - a recording changed in the folder is played again, a damaged cache is
#   made anew;
# - a state folder that cannot be made is said once and the game plays on.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
KEPT="$XDG_STATE_HOME/fompy-talden/recordings"
CACHE="$XDG_STATE_HOME/fompy-talden/kept-games.cache"

"$BIN" --scores >"$TMP/scores" 2>"$TMP/scores.err" || fail "--scores with nothing kept failed"
[ "$(cat "$TMP/scores")" = "no kept games yet: every game played in the window is kept" ] ||
    fail "--scores with nothing kept: $(cat "$TMP/scores" "$TMP/scores.err")"
[ ! -e "$XDG_STATE_HOME" ] || fail "--scores made the state folder"

. "$HERE/xvfb_session.inc"

kept_count() { ls "$KEPT" 2>/dev/null | grep -c '\.txt$'; }
start_game() {
    "$BIN" --window --no-sound --no-settings --fps "$FPS" "$@" >"$TMP/game.out" 2>"$TMP/game.err" &
    GAME_PID=$!
    WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
    [ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    sleep 0.3
}
end_game() {
    kill -TERM "$GAME_PID"
    expect_quit
}
# GAME A from the intro (GAME B with a second argument B), with Down held
# for $1 seconds: pieces land and score, and at 1000 frames a second pile up
# to the game's end.
FPS=1000
play_a_game() {
    if [ "${2:-A}" = B ]; then
        xdotool key --delay 150 Return Down Return
    else
        xdotool key --delay 150 Return Return
    fi
    sleep 0.5
    xdotool keydown Down
    sleep "$1"
    xdotool keyup Down
    sleep 0.2
}

# --- Two runs kept; the second beside its --record. The first, at the
# game's own speed, lands a piece or two; the second plays to its end: the
# later run holds the better game.
FPS=70
start_game
play_a_game 1.5
end_game
FPS=1000
[ "$(kept_count)" -eq 1 ] || fail "the first run was not kept: $(ls -la "$KEPT" 2>&1) $(cat "$TMP/game.err")"
sleep 1  # another second, another name (the same second would be -2)
start_game --record "$TMP/recorded.txt"
play_a_game 2 B
xdotool key Escape  # back to the menu
sleep 0.3
end_game
[ "$(kept_count)" -eq 2 ] || fail "the second run was not kept: $(ls "$KEPT")"
second=$(ls "$KEPT" | grep '\.txt$' | sort | tail -n 1)
cmp -s "$KEPT/$second" "$TMP/recorded.txt" || fail "the kept run is not the --record recording"
ls "$KEPT" | grep '\.txt$' | grep -qvE '^[0-9]{8}-[0-9]{6}(-[0-9]+)?\.txt$' &&
    fail "a kept recording's name is not YYYYMMDD-HHMMSS: $(ls "$KEPT")"

# --- --no-history keeps nothing; nor does a run with no game.
start_game --no-history
play_a_game 1
end_game
[ "$(kept_count)" -eq 2 ] || fail "--no-history kept a run: $(ls "$KEPT")"
start_game
sleep 0.5  # the intro only
end_game
[ "$(kept_count)" -eq 2 ] || fail "a run with no game was kept: $(ls "$KEPT")"

# --- The table: the games --verify finds in the kept files, best first,
# and of equal scores the earlier.
expected_table() {
    for file in $(ls "$KEPT" | grep '\.txt$' | sort); do
        "$BIN" --verify "$KEPT/$file" | sed -n "s|^game \([0-9]*\): GAME \([AB]\) from level \([0-9]*\), score \([0-9]*\),.*|\4 \2 \3 $file \1|p"
    done | awk '{ printf "%s %06d %s\n", $0, NR, $0 }' | sort -k1,1nr -k6,6n |
        awk '{ print $1 ", GAME " $2 " from level " $3 ", " $4 " game " $5 }' | head -n 10
}
# The table's lines without their rank and date.
table_games() {
    sed 's/^\([0-9]*\)\. \([0-9]*\), \(GAME [AB] from level [0-9]*\), [0-9-]* [0-9:]*, /\2, \3, /' "$1"
}
expected_table >"$TMP/expected"
[ "$(wc -l <"$TMP/expected")" -ge 2 ] || fail "--verify finds fewer than two games: $(cat "$TMP/expected")"
sort -u -k1,1 "$TMP/expected" | [ "$(wc -l)" -ge 2 ] ||
    fail "the two games scored the same, which tells nothing of the order: $(cat "$TMP/expected")"
"$BIN" --scores >"$TMP/scores" 2>"$TMP/scores.err" || fail "--scores failed: $(cat "$TMP/scores.err")"
[ ! -s "$TMP/scores.err" ] || fail "--scores complained: $(cat "$TMP/scores.err")"
table_games "$TMP/scores" | diff "$TMP/expected" - >"$TMP/diff" ||
    fail "the table is not what --verify gives: $(cat "$TMP/diff")"
awk -F'. ' '{ if ($1 != NR) exit 1 }' "$TMP/scores" || fail "the ranks do not count from 1: $(cat "$TMP/scores")"
[ -s "$CACHE" ] || fail "no cache was kept"
"$BIN" --scores | cmp -s - "$TMP/scores" || fail "the table from the cache differs"

# --- Bad files are passed over and left as they were.
printf '# fompy-talden recording 1\n0 enter down\n5 ent' >"$KEPT/20200101-000000.txt"
printf '# fompy-talden recording 2\n0 enter down\n' >"$KEPT/20200101-000001.txt"
printf 'what the player keeps here\n' >"$KEPT/notes.txt"
cp -p "$KEPT/20200101-000000.txt" "$TMP/cut"
cp -p "$KEPT/20200101-000001.txt" "$TMP/later"
"$BIN" --scores >"$TMP/scores2" 2>"$TMP/scores.err" || fail "--scores with bad files failed"
cmp -s "$TMP/scores" "$TMP/scores2" || fail "bad files changed the table: $(cat "$TMP/scores2")"
[ "$(wc -l <"$TMP/scores.err")" -eq 2 ] || fail "not one line a bad file: $(cat "$TMP/scores.err")"
grep -q "^fompy-talden: $KEPT/20200101-000000.txt: cut short.*passed over" "$TMP/scores.err" ||
    fail "the file cut short was not named: $(cat "$TMP/scores.err")"
grep -q "^fompy-talden: $KEPT/20200101-000001.txt:1: a recording of version 2.*passed over" \
    "$TMP/scores.err" || fail "the later version was not named: $(cat "$TMP/scores.err")"
# A window run's pruning leaves them too.
start_game
play_a_game 1
end_game
cmp -s "$KEPT/20200101-000000.txt" "$TMP/cut" && cmp -s "$KEPT/20200101-000001.txt" "$TMP/later" &&
    [ -f "$KEPT/notes.txt" ] || fail "a bad file or the player's own was not left as it was"
[ "$(kept_count)" -eq 6 ] || fail "the third played run was not kept: $(ls "$KEPT")"
# Two of the games played in the window ended on their game-over screens,
# one a GAME B; the table holds both with the scores those screens showed
# (--verify reads the score off the game-over screen, as its tests show).
for file in $(ls "$KEPT" | grep -E '^2[0-9]{7}-' | grep -v '^2020'); do "$BIN" --verify "$KEPT/$file"; done |
    grep ', game over$' >"$TMP/overs"
grep -q '^game 1: GAME B .*, game over$' "$TMP/overs" && grep -q '^game 1: GAME A .*, game over$' "$TMP/overs" ||
    fail "not a GAME A and a GAME B to game over: $(cat "$TMP/overs")"
"$BIN" --scores >"$TMP/scores4" 2>/dev/null
while read -r _ _ _ variant _ _ level _ score _; do
    grep -q "^[0-9]*\. ${score%,}, GAME $variant from level ${level%,}, " "$TMP/scores4" ||
        fail "the game over of GAME $variant scoring ${score%,} is not in the table: $(cat "$TMP/scores4")"
done <"$TMP/overs"

# --- A changed recording is played again; a damaged cache is made anew.
first=$(ls "$KEPT" | grep -E '^2[0-9]{7}-' | grep -v '^2020' | sort | head -n 1)
cp "$HERE/../../bench/sessions/gameb7.txt" "$KEPT/$first"
"$BIN" --scores 2>/dev/null | grep -qxE "1\. 6900, GAME B from level 7, .*, $first game 1" ||
    fail "the replaced recording was not played again: $("$BIN" --scores 2>&1)"
"$BIN" --scores 2>/dev/null >"$TMP/scores3"
head -c 100 "$CACHE" >"$TMP/torn" && cp "$TMP/torn" "$CACHE"
"$BIN" --scores 2>/dev/null | cmp -s - "$TMP/scores3" || fail "a damaged cache changed the table"
cmp -s "$CACHE" "$TMP/torn" && fail "the damaged cache was not made anew"

# --- --watch 1 plays the table's first game (the GAME B of 5000 frames, 71
# seconds at its pace): marked REPLAY, then at x8 in about an eighth of the
# time, to its end with status 0, keeping nothing.
convert "$HERE/../golden/paused/mark-replay.png" -depth 8 "ppm:$TMP/mark.ppm"
kept_before=$(kept_count)
started=$(date +%s)
"$BIN" --window --no-sound --no-settings --watch 1 >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared for --watch: $(cat "$TMP/game.err")"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
sleep 1
import -window "$WINDOW" -depth 8 "ppm:$TMP/watch.ppm" || fail "no picture of the window"
python3 "$HERE/check_overlay.py" mark "$TMP/watch.ppm" "$TMP/mark.ppm" ||
    fail "--watch is not marked REPLAY"
xdotool key --delay 100 Right Right Right
for _ in $(seq 300); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME_PID" 2>/dev/null && fail "--watch at x8 did not end within 30 seconds"
wait "$GAME_PID"
status=$?
GAME_PID=""
took=$(($(date +%s) - started))
[ "$status" -eq 0 ] || fail "--watch ended with status $status: $(cat "$TMP/game.err")"
[ "$took" -ge 8 ] && [ "$took" -le 20 ] ||
    fail "--watch of 71 seconds at x8 took $took seconds, not about an eighth and a hold"
[ "$(kept_count)" -eq "$kept_before" ] || fail "--watch kept a recording: $(ls "$KEPT")"
"$BIN" --window --no-settings --watch 9 2>"$TMP/watch.err"
[ $? -eq 2 ] && grep -q "^fompy-talden: --watch 9: the table of the best kept games holds" \
    "$TMP/watch.err" || fail "--watch beyond the table: $(cat "$TMP/watch.err")"

# --- --watch ends on its game's game-over picture, pixel for pixel (the
# headless run's, REPLAY over it), held until the program ends.
WATCHED="$TMP/watched"
mkdir -p "$WATCHED/fompy-talden/recordings"
cp "$HERE/../corpus/gameover.txt" "$WATCHED/fompy-talden/recordings/20260101-000000.txt"
gameover_picture "$BIN" "$TMP/gameover.ppm"
XDG_STATE_HOME="$WATCHED" "$BIN" --window --no-sound --no-settings --watch 1 \
    >"$TMP/game.out" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared for --watch: $(cat "$TMP/game.err")"
last_window_picture "$TMP/watched.ppm" 20
[ "$watch_status" -eq 0 ] || fail "--watch ended with status $watch_status: $(cat "$TMP/game.err")"
python3 "$HERE/check_overlay.py" marked "$TMP/gameover.ppm" "$TMP/watched.ppm" "$TMP/mark.ppm" ||
    fail "--watch did not end on the game-over picture"

# --- A state folder that cannot be made: said once, the game plays on.
printf 'a file\n' >"$TMP/not-a-folder"
XDG_STATE_HOME="$TMP/not-a-folder" start_game
play_a_game 1
end_game
[ "$(grep -c 'cannot keep this run' "$TMP/game.err")" -eq 1 ] ||
    fail "the folder that cannot be made was not said once: $(cat "$TMP/game.err")"
exit 0
