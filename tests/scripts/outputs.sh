#!/bin/sh
# SPDX-License-Identifier: MIT
# The files a run writes are the player's too: a start that fails leaves every
# existing --log, --record and dump file exactly as it was, and --dump never
# writes over one of the run's own files.
set -u
BIN="$1"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
fail=0
say() { echo "FAIL: $*"; fail=1; }
# run NAME EXPECTED_STATUS ARGS...: the status, and one message on standard error.
run() {
    name=$1
    expected=$2
    shift 2
    "$BIN" "$@" >"$TMP/out" 2>"$TMP/err" </dev/null
    status=$?
    [ "$status" = "$expected" ] || say "$name: exit status $status, expected $expected: $(cat "$TMP/err")"
    [ "$(wc -l <"$TMP/err")" -eq 1 ] || say "$name: not one message: $(cat "$TMP/err")"
}
# The player's earlier files, to be found unchanged.
prepare() {
    rm -rf "$TMP/keep" && mkdir -p "$TMP/keep/pics"
    echo "an earlier log" >"$TMP/keep/run.log"
    echo "# an earlier recording" >"$TMP/keep/session.txt"
    echo "an earlier picture" >"$TMP/keep/pics/000000.png"
    cp -r "$TMP/keep" "$TMP/before"
}
unchanged() {
    diff -r "$TMP/before" "$TMP/keep" >/dev/null || say "$1: a file was touched: $(diff -r "$TMP/before" "$TMP/keep")"
    rm -rf "$TMP/before"
}
printf '0 enter down\nthis is not a key line\n' >"$TMP/bad.txt"
printf '0 enter down\n3 enter up\n' >"$TMP/good.txt"

# --- A failed start touches nothing.
prepare
run "a bad script" 2 --headless --script "$TMP/bad.txt" --log "$TMP/keep/run.log" --dump "$TMP/keep/pics"
unchanged "a bad script"
prepare
run "a missing script" 2 --headless --script "$TMP/none.txt" --log "$TMP/keep/run.log"
unchanged "a missing script"
prepare
: >"$TMP/not-a-folder"
run "a dump folder that cannot be" 1 --headless --script "$TMP/good.txt" --frames 5 \
    --log "$TMP/keep/run.log" --dump "$TMP/not-a-folder/pics"
unchanged "a dump folder that cannot be"
grep -q "cannot write pictures into '$TMP/not-a-folder/pics': Not a directory" "$TMP/err" ||
    say "the dump folder's fault: $(cat "$TMP/err")"
prepare
run "a log that cannot be" 1 --headless --script "$TMP/good.txt" --frames 5 \
    --log "$TMP/no-such-folder/run.log" --dump "$TMP/keep/pics"
unchanged "a log that cannot be"
[ -e "$TMP/no-such-folder" ] && say "the log's folder was made"
# No display: the window cannot open, and the log and the recording stay.
prepare
env -u WAYLAND_DISPLAY DISPLAY=:97 SDL_VIDEODRIVER=x11 "$BIN" --window --no-settings --no-sound \
    --log "$TMP/keep/run.log" --record "$TMP/keep/session.txt" >"$TMP/out" 2>"$TMP/err" </dev/null
status=$?
[ "$status" = 1 ] || say "no display: exit status $status, expected 1: $(cat "$TMP/err")"
grep -q '^fompy-talden: ' "$TMP/err" || say "no display: no message: $(cat "$TMP/err")"
unchanged "no display"
prepare
run "a bad playback" 2 --window --no-settings --playback "$TMP/bad.txt" \
    --log "$TMP/keep/run.log" --record "$TMP/keep/session.txt"
unchanged "a bad playback"

# --- --dump never writes over the run's own files.
mkdir -p "$TMP/pics"
cp "$TMP/good.txt" "$TMP/pics/000002.png"
run "a script at a picture's name" 2 --headless --script "$TMP/pics/000002.png" --dump "$TMP/pics"
grep -qF -- "--script '$TMP/pics/000002.png' is where --dump puts a picture" "$TMP/err" ||
    say "a script at a picture's name: $(cat "$TMP/err")"
cmp -s "$TMP/good.txt" "$TMP/pics/000002.png" || say "the script in the dump folder was written over"
run "a log at a picture's name, by another path" 2 --headless --script "$TMP/good.txt" \
    --log "$TMP/pics/../pics/1234567.png" --dump "$TMP/pics/"
[ -e "$TMP/pics/1234567.png" ] && say "the log at a picture's name was made"
ln "$TMP/good.txt" "$TMP/pics/000001.png"
run "a script linked in at a picture's name" 2 --headless --script "$TMP/good.txt" --dump "$TMP/pics"
rm "$TMP/pics/000001.png" "$TMP/pics/000002.png"
# Beside the pictures, under other names, the run's files are welcome.
cp "$TMP/good.txt" "$TMP/pics/keys.txt"
"$BIN" --headless --script "$TMP/pics/keys.txt" --frames 3 --log "$TMP/pics/0000001.png.log" \
    --dump "$TMP/pics" 2>"$TMP/err"
[ $? = 0 ] || say "files beside the pictures: $(cat "$TMP/err")"
[ -s "$TMP/pics/000000.png" ] || say "no pictures beside the run's files"
cmp -s "$TMP/good.txt" "$TMP/pics/keys.txt" || say "the script beside the pictures changed"

[ "$fail" -eq 0 ] && echo "outputs: all passed"
exit "$fail"
