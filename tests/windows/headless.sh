#!/bin/sh
# SPDX-License-Identifier: MIT
# The headless runs of the Windows program under Wine against the Linux
# program's: every kept session and every README screenshot run gives the
# same log, byte for byte, and the same exit status, and --verify the same
# games (the kept corpus of recordings too); the --dump pictures
# decode to the same pixels and palettes; a log on standard output has the
# same bytes as in a file; a folder that cannot be written is one line and
# status 1, and so is a --video without ffmpeg.exe.
#
#   headless.sh WINDOWS_PROGRAM.exe LINUX_PROGRAM
set -u
EXE="$1"
LINUX="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
. "$HERE/wine.inc"

# Runs both programs with the same arguments after NAME; each writes its log
# to $TMP/NAME.{win,linux}.log and may use @OUT@ for a folder of its own.
both() {
    run=$1
    shift
    mkdir -p "$TMP/$run.win" "$TMP/$run.linux"
    win_args=$(echo "$@" | sed "s|@OUT@|$TMP/$run.win|g")
    linux_args=$(echo "$@" | sed "s|@OUT@|$TMP/$run.linux|g")
    # shellcheck disable=SC2086
    wine "$EXE" $win_args --log "$TMP/$run.win.log" 2>"$TMP/$run.err"
    win_status=$?
    # shellcheck disable=SC2086
    "$LINUX" $linux_args --log "$TMP/$run.linux.log" 2>/dev/null
    linux_status=$?
    [ "$win_status" -eq "$linux_status" ] ||
        fail "$run: status $win_status on Windows, $linux_status on Linux: $(cat "$TMP/$run.err")"
    [ -s "$TMP/$run.linux.log" ] || fail "$run: the Linux program wrote no log"
    cmp -s "$TMP/$run.win.log" "$TMP/$run.linux.log" ||
        fail "$run: the logs differ: $(cmp "$TMP/$run.win.log" "$TMP/$run.linux.log")"
}

for session in "$ROOT"/bench/sessions/*.txt "$ROOT"/tests/corpus/*.txt; do
    both "$(basename "$session" .txt)" --headless --script "$session"
    # --verify tells the same games on both.
    wine "$EXE" --verify "$session" >"$TMP/verify.win" 2>/dev/null
    "$LINUX" --verify "$session" >"$TMP/verify.linux" 2>/dev/null
    [ -s "$TMP/verify.linux" ] && cmp -s "$TMP/verify.win" "$TMP/verify.linux" ||
        fail "$(basename "$session"): --verify differs: $(diff "$TMP/verify.win" "$TMP/verify.linux")"
done

# The screenshot runs, as cmake/packaging.cmake lists them (NAME:SCRIPT:FRAMES);
# the runs to a script's end keep their pictures.
shots=$(sed -n 's/^set(FT_SCREENSHOTS \(.*\))$/\1/p' "$ROOT/cmake/packaging.cmake")
[ -n "$shots" ] || fail "no FT_SCREENSHOTS in cmake/packaging.cmake"
for shot in $shots; do
    name=${shot%%:*}
    script=$(echo "$shot" | cut -d: -f2)
    frames=${shot##*:}
    script="$ROOT/docs/screenshots/$script.script"
    if [ "$frames" -eq 0 ]; then
        both "shot-$name" --headless --script "$script" --dump @OUT@/pictures
        python3 "$HERE/compare_png.py" "$TMP/shot-$name.win/pictures" \
            "$TMP/shot-$name.linux/pictures" || fail "shot-$name: the pictures differ"
    else
        both "shot-$name" --headless --script "$script" --frames "$frames"
    fi
done

# A log on standard output: the same bytes as in a file (no line end changed).
short="$ROOT/bench/sessions/short.txt"
wine "$EXE" --headless --script "$short" --log - >"$TMP/stdout.log" 2>/dev/null ||
    fail "a log on standard output: status $?"
cmp -s "$TMP/stdout.log" "$TMP/short.linux.log" || fail "a log on standard output differs"

# Pictures that cannot be written: one line on standard error, status 1.
: >"$TMP/a-file"
wine "$EXE" --headless --dump "$TMP/a-file/pictures" 2>"$TMP/err" >/dev/null
status=$?
[ "$status" -eq 1 ] || fail "an unwritable --dump folder: status $status, not 1"
grep -q "^fompy-talden: cannot write pictures into '.*'" "$TMP/err" ||
    fail "unclear message for an unwritable --dump folder: $(cat "$TMP/err")"
[ "$(wc -l <"$TMP/err")" -eq 1 ] || fail "more than one line: $(cat "$TMP/err")"

# --video without ffmpeg.exe on Wine's PATH: one line that names it, status
# 1, before the recording is read (there is none) and with no file made.
WINEPATH= wine "$EXE" --video "$TMP/video.mkv" "$TMP/no-recording.txt" 2>"$TMP/err" >/dev/null
status=$?
[ "$status" -eq 1 ] || fail "--video without ffmpeg.exe: status $status, not 1: $(cat "$TMP/err")"
grep -q "^fompy-talden: cannot make a video: ffmpeg.exe is not" "$TMP/err" ||
    fail "unclear message for --video without ffmpeg.exe: $(cat "$TMP/err")"
[ "$(wc -l <"$TMP/err")" -eq 1 ] || fail "more than one line: $(cat "$TMP/err")"
[ ! -e "$TMP/video.mkv" ] || fail "--video without ffmpeg.exe made its file"
exit 0
