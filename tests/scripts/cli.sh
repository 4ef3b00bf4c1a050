#!/bin/sh
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
"$BIN" --version >"$TMP/out"; check "version" 0 $?
contains "version" "$TMP/out" "fompy-talden "

printf '0 enter down\n1 sideways down\n' >"$TMP/bad.txt"
"$BIN" --headless --script "$TMP/bad.txt" --log "$TMP/never.log" 2>"$TMP/err"; check "bad script" 2 $?
contains "bad script" "$TMP/err" "$TMP/bad.txt:2: unknown key 'sideways'"
[ ! -e "$TMP/never.log" ] || { echo "FAIL: a bad script must run nothing"; fail=1; }
"$BIN" --headless --script "$TMP/missing.txt" 2>"$TMP/err"; check "missing script" 2 $?
contains "missing script" "$TMP/err" "missing.txt"
"$BIN" --headless --script "$TMP" 2>"$TMP/err"; check "script is a directory" 2 $?
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

"$BIN" --headless --script "$TMP/play.txt" --frames 5 --log - >"$TMP/out"; check "frames" 0 $?
# --frames counts presents; the waits of the intro moved the time ahead by 3.
[ "$(tail -n 1 "$TMP/out")" = "8 end frames" ] || { echo "FAIL: frames"; tail -n 2 "$TMP/out"; fail=1; }
[ "$(grep -c ' present ' "$TMP/out")" -eq 5 ] || { echo "FAIL: five presents expected"; fail=1; }

exit $fail
