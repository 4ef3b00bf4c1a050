#!/bin/sh
# SPDX-License-Identifier: MIT
# --verify on the real binary: the exact form of its lines, one game and
# none, the frame limit, the options it refuses, and a bad recording (one
# line on standard error, status 2).
set -u
BIN="$1"
SESSIONS="$(dirname "$0")/../../bench/sessions"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
fail=0
check() {  # check NAME EXPECTED_STATUS ACTUAL_STATUS
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: exit status $3, expected $2"
        fail=1
    fi
}
same() {  # same NAME EXPECTED_FILE ACTUAL_FILE
    if ! cmp -s "$2" "$3"; then
        echo "FAIL: $1:"; diff "$2" "$3"
        fail=1
    fi
}
one_line() {  # one_line NAME FILE PATTERN
    if [ "$(wc -l <"$2")" -ne 1 ] || ! grep -q -- "$3" "$2"; then
        echo "FAIL: $1: not one line matching '$3':"; cat "$2"
        fail=1
    fi
}

# The short session: one GAME A left with Escape after 1500 frames, as its
# header says, then "QUIT" at T 1569.
"$BIN" --verify "$SESSIONS/short.txt" >"$TMP/out" 2>"$TMP/err"; check "short" 0 $?
printf '%s\n' "game 1: GAME A from level 1, score 805, level 1, 1500 frames, escape" \
    "run: 1 game, 1569 frames, end quit" >"$TMP/want"
same "short" "$TMP/want" "$TMP/out"
[ ! -s "$TMP/err" ] || { echo "FAIL: short: said on standard error:"; cat "$TMP/err"; fail=1; }

# The run's line is the headless log's end line: T and reason.
for session in short gameb7; do
    "$BIN" --verify "$SESSIONS/$session.txt" >"$TMP/out"
    "$BIN" --headless --script "$SESSIONS/$session.txt" --log "$TMP/log"
    tail -n 1 "$TMP/log" | sed 's/^\([0-9]*\) end \(.*\)$/\1 frames, end \2/' >"$TMP/want"
    tail -n 1 "$TMP/out" | sed 's/^run: [0-9]* games*, //' >"$TMP/got"
    same "$session: run line and log end" "$TMP/want" "$TMP/got"
done

# No keys at all: the intro waits, and the run ends there with no game.
: >"$TMP/empty.txt"
"$BIN" --verify "$TMP/empty.txt" >"$TMP/out"; check "empty" 0 $?
echo "run: 0 games, 0 frames, end script" >"$TMP/want"
same "empty" "$TMP/want" "$TMP/out"

# Left on the menu: the end at its first frame, or at --frames as a headless
# run ends (1000 presents, at T 1002 after the intro's two waits).
printf '1 enter down\n2 enter up\n' >"$TMP/menu.txt"
"$BIN" --verify "$TMP/menu.txt" >"$TMP/out"; check "menu" 0 $?
echo "run: 0 games, 3 frames, end script" >"$TMP/want"
same "menu" "$TMP/want" "$TMP/out"
"$BIN" --verify "$TMP/menu.txt" --frames 1000 >"$TMP/out"; check "menu, frames" 0 $?
"$BIN" --headless --script "$TMP/menu.txt" --frames 1000 --log - | tail -n 1 >"$TMP/log"
[ "$(cat "$TMP/log")" = "1002 end frames" ] || { echo "FAIL: headless: $(cat "$TMP/log")"; fail=1; }
echo "run: 0 games, 1002 frames, end frames" >"$TMP/want"
same "menu, frames" "$TMP/want" "$TMP/out"

# A game cut by --frames ends with the run: 500 presents, the game's from
# the 32nd on (the menu's 31 before it; the intro presents none), at T 502.
"$BIN" --verify "$SESSIONS/short.txt" --frames 500 --clock 7 >"$TMP/out"; check "short, frames" 0 $?
if [ "$(wc -l <"$TMP/out")" -ne 2 ] ||
    ! head -n 1 "$TMP/out" | grep -qx "game 1: GAME A from level 1, score [0-9]*, level 1, 469 frames, frames" ||
    [ "$(tail -n 1 "$TMP/out")" != "run: 1 game, 502 frames, end frames" ]; then
    echo "FAIL: short, frames:"; cat "$TMP/out"; fail=1
fi

# A bad recording: the script reader's one line, status 2, nothing on
# standard output.
printf '0 enter down\n1 sideways down\n' >"$TMP/bad.txt"
"$BIN" --verify "$TMP/bad.txt" >"$TMP/out" 2>"$TMP/err"; check "bad" 2 $?
one_line "bad" "$TMP/err" "^fompy-talden: $TMP/bad.txt:2: unknown key 'sideways'"
[ ! -s "$TMP/out" ] || { echo "FAIL: bad: wrote:"; cat "$TMP/out"; fail=1; }
"$BIN" --verify "$TMP/missing.txt" >"$TMP/out" 2>"$TMP/err"; check "missing" 2 $?
one_line "missing" "$TMP/err" "^fompy-talden: $TMP/missing.txt: cannot read: "

# What --verify does not take.
for refused in "--headless" "--log -" "--script $TMP/menu.txt" "--dump $TMP/d" "--window" \
    "--timedemo $TMP/menu.txt"; do
    # shellcheck disable=SC2086
    "$BIN" --verify "$TMP/menu.txt" $refused >"$TMP/out" 2>"$TMP/err"
    check "--verify with $refused" 2 $?
    one_line "--verify with $refused" "$TMP/err" "^fompy-talden: .*--"
done
"$BIN" --verify >"$TMP/out" 2>"$TMP/err"; check "no file" 2 $?
one_line "no file" "$TMP/err" "^fompy-talden: option '--verify' needs FILE$"
# Standard output that cannot be written is a failure.
"$BIN" --verify "$SESSIONS/short.txt" >/dev/full 2>"$TMP/err"; check "full" 1 $?
one_line "full" "$TMP/err" "^fompy-talden: .*No space left on device"
exit $fail
