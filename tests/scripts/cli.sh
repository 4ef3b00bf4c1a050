#!/bin/sh
# SPDX-License-Identifier: MIT
# The command line of the real binary: exit statuses, messages, the headless
# log on standard output, picture dumps, and the whole program from the intro
# to "QUIT".
set -u
BIN="$1"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
fail=0
check() {  # check NAME EXPECTED_STATUS ACTUAL_STATUS
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: exit status $3, expected $2"
        fail=1
    fi
}
contains() {  # contains NAME FILE TEXT
    if ! grep -q -- "$3" "$2"; then
        echo "FAIL: $1: '$3' not in:"; cat "$2"
        fail=1
    fi
}

"$BIN" --no-such-option 2>"$TMP/err"; check "unknown option" 2 $?
contains "unknown option" "$TMP/err" "unknown option '--no-such-option'"
[ "$(wc -l <"$TMP/err")" -eq 1 ] || { echo "FAIL: the message is one line"; fail=1; }
"$BIN" --headless --frames 0 2>"$TMP/err"; check "frames 0" 2 $?
"$BIN" --headless --clock 4294967296 2>"$TMP/err"; check "clock too large" 2 $?
"$BIN" --help >"$TMP/out"; check "help" 0 $?
contains "help" "$TMP/out" "--headless"
"$BIN" -h >"$TMP/out"; check "-h" 0 $?
contains "-h" "$TMP/out" "--headless"
"$BIN" --version >"$TMP/out"; check "version" 0 $?
contains "version" "$TMP/out" "fompy-talden "
"$BIN" -V >"$TMP/out"; check "-V" 0 $?
contains "-V" "$TMP/out" "fompy-talden "
# Standard output that cannot be written is a failure, said as one.
for run in "--help" "--version" "--headless --log -" \
    "--timedemo $(dirname "$0")/../../bench/sessions/short.txt"; do
    # shellcheck disable=SC2086
    "$BIN" $run >/dev/full 2>"$TMP/err"; check "$run into a full device" 1 $?
    contains "$run into a full device" "$TMP/err" "^fompy-talden: .*No space left on device"
done
"$BIN" --headless --window 2>"$TMP/err"; check "headless with window" 2 $?
"$BIN" --clock 0 2>"$TMP/err"; check "clock without headless" 2 $?

printf '0 enter down\n1 sideways down\n' >"$TMP/bad.txt"
"$BIN" --headless --script "$TMP/bad.txt" --log "$TMP/never.log" 2>"$TMP/err"; check "bad script" 2 $?
contains "bad script" "$TMP/err" "^fompy-talden: $TMP/bad.txt:2: unknown key 'sideways'"
[ ! -e "$TMP/never.log" ] || { echo "FAIL: a bad script must run nothing"; fail=1; }
"$BIN" --headless --script "$TMP/missing.txt" 2>"$TMP/err"; check "missing script" 2 $?
contains "missing script" "$TMP/err" "missing.txt"
"$BIN" --headless --script "$TMP" 2>"$TMP/err"; check "script is a directory" 2 $?
# Endless and unreadable sources end at once instead of filling the memory.
timeout 10 "$BIN" --headless --script /dev/zero 2>"$TMP/err"; check "endless script" 2 $?
contains "endless script" "$TMP/err" "/dev/zero:1: line too long"
yes '0 enter down' | timeout 60 "$BIN" --headless --script /dev/stdin --frames 10 2>"$TMP/err"
check "endless events" 2 $?
contains "endless events" "$TMP/err" \
    "^fompy-talden: /dev/stdin:10001: more than 10000 events at time 0 (no recording holds so many)$"
"$BIN" --headless --script /proc/self/mem 2>"$TMP/err"; check "unreadable script" 2 $?
contains "unreadable script" "$TMP/err" "^fompy-talden: /proc/self/mem: cannot read: "

# An output that is an input, or another output, is refused before anything
# is written: by name, through a symbolic link or a hard link.
printf '0 enter down\n' >"$TMP/in.txt"
ln -s "$TMP/in.txt" "$TMP/symlink.txt"
ln "$TMP/in.txt" "$TMP/hardlink.txt"
for twice in "--headless --script $TMP/in.txt --log $TMP/in.txt" \
    "--headless --script $TMP/in.txt --log $TMP/symlink.txt" \
    "--headless --script $TMP/in.txt --log $TMP/hardlink.txt" \
    "--window --playback $TMP/in.txt --log $TMP/symlink.txt" \
    "--window --record $TMP/new.txt --log $TMP/new.txt"; do
    # shellcheck disable=SC2086
    "$BIN" $twice 2>"$TMP/err"; check "same file: $twice" 2 $?
    contains "same file: $twice" "$TMP/err" "is the same file as"
done
[ "$(cat "$TMP/in.txt")" = "0 enter down" ] || { echo "FAIL: the input was touched"; fail=1; }
[ ! -e "$TMP/new.txt" ] || { echo "FAIL: a refused run made its output"; fail=1; }
"$BIN" --headless --script "$TMP/in.txt" --log /dev/null; check "a device is no file" 0 $?
"$BIN" --headless --log /nonexistent/dir/log.txt 2>"$TMP/err"; check "unwritable log" 1 $?
contains "unwritable log" "$TMP/err" "cannot write the log"

# No key ever pressed: the intro is drawn and the run ends waiting for Enter.
"$BIN" --headless --log - >"$TMP/out"; check "empty run" 0 $?
cat >"$TMP/expected" <<'LOG'
0 sound play 106
0 end script
LOG
grep -v ' primary ' "$TMP/out" >"$TMP/events"
diff "$TMP/expected" "$TMP/events" || { echo "FAIL: empty run events"; fail=1; }
[ "$(grep -c '^0 primary [0-9a-f]\{8\} [0-9a-f]\{8\}$' "$TMP/out")" -eq 2 ] ||
    { echo "FAIL: two primary pictures expected"; cat "$TMP/out"; fail=1; }

# Intro, one game left with Escape, then "QUIT"; pictures dumped.
cat >"$TMP/play.txt" <<'SCRIPT'
# through the intro
0 enter down
1 enter up
2 enter down
3 enter up
# GAME A
10 enter down
11 enter up
reseed 1234
40 left down
41 left up
100 escape down
101 escape up
# to QUIT and out
110 up down
111 up up
120 enter down
121 enter up
SCRIPT
"$BIN" --headless --script "$TMP/play.txt" --log "$TMP/a.log" --dump "$TMP/pics"; check "whole run" 0 $?
"$BIN" --headless --script "$TMP/play.txt" --log "$TMP/b.log"; check "second run" 0 $?
cmp -s "$TMP/a.log" "$TMP/b.log" || { echo "FAIL: two runs of one script differ"; fail=1; }
contains "whole run" "$TMP/a.log" "^121 end quit$"
contains "whole run" "$TMP/a.log" " reseed 1234$"
contains "whole run" "$TMP/a.log" " sound play 107$"
pictures=$(grep -c -E ' (present|primary) ' "$TMP/a.log")
files=$(ls "$TMP/pics" | wc -l)
[ "$pictures" -eq "$files" ] || { echo "FAIL: $pictures pictures logged, $files dumped"; fail=1; }
[ -f "$TMP/pics/000000.png" ] || { echo "FAIL: no 000000.png"; fail=1; }

# A close request ends the run where it is delivered, with the keys delivered
# alongside it and nothing more.
sed 's/^110 up down$/105 close\n110 up down/' "$TMP/play.txt" >"$TMP/close.txt"
"$BIN" --headless --script "$TMP/close.txt" --log "$TMP/close.log"; check "close" 0 $?
[ "$(tail -n 1 "$TMP/close.log")" = "105 end close" ] ||
    { echo "FAIL: close: $(tail -n 1 "$TMP/close.log")"; fail=1; }
head -n "$(($(wc -l <"$TMP/close.log") - 1))" "$TMP/close.log" | cmp -s - "$TMP/a.log" &&
    { echo "FAIL: the game went on after the close"; fail=1; }
grep -v ' end ' "$TMP/a.log" | grep -E '^(10[0-5]|[0-9]{1,2}) ' >"$TMP/before-close"
grep -v ' end ' "$TMP/close.log" | cmp -s - "$TMP/before-close" ||
    { echo "FAIL: the run before the close differs from the run without it"; fail=1; }

"$BIN" --headless --script "$TMP/play.txt" --frames 5 --log - >"$TMP/out"; check "frames" 0 $?
# --frames counts presents; the waits of the intro moved the time ahead by 3.
[ "$(tail -n 1 "$TMP/out")" = "8 end frames" ] || { echo "FAIL: frames"; tail -n 2 "$TMP/out"; fail=1; }
[ "$(grep -c ' present ' "$TMP/out")" -eq 5 ] || { echo "FAIL: five presents expected"; fail=1; }

exit $fail
