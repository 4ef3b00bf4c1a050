#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets of the script, option, settings, user-dirs and kept-games cache parsers (preset "fuzz"),
# runs each once on a few inputs made here at the readers' 64 KiB, and then for
# a short fixed budget from the seed corpus in fuzz/corpus.
# A crash, a sanitizer report or a broken parser promise fails the script; the
# input that did it is kept in build/fuzz/artifacts. Usage:
#   tools/fuzz-short.sh [RUNS]     RUNS executions per fuzzer (default 300000)
set -e
cd "$(dirname "$0")/.."
runs=${1:-300000}
# Inputs of up to 70000 bytes: past the 64 KiB of the settings file and of
# user-dirs.dirs, and past the first 64 KiB block a script is read in.
max_len=70000

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/fuzz-short
artifacts=build/fuzz/artifacts
rm -rf "$out"
mkdir -p "$artifacts"

# Inputs at those sizes, made here rather than kept in the tree, are run once
# each: fuzzing from them would take the short run's whole budget.
# grow FILE BYTES: the lines of FILE over and over, then a comment of '#'s,
# BYTES bytes in all.
grow() {
    awk -v most="$2" '{ line[n++] = $0 }
        END { for (i = 0; n && size + length(line[i % n]) + 3 <= most; i++) {
                  print line[i % n]; size += length(line[i % n]) + 1 }
              pad = ""; while (size + length(pad) + 1 < most) pad = pad "#"; print pad }' "$1"
}
mkdir -p "$out/large/script" "$out/large/settings" "$out/large/user-dirs"
awk 'BEGIN { for (t = 0; t < 7000; t++) print t (t % 3 ? " left up" : " left down\r") }' \
    >"$out/events"
grow "$out/events" 69000 >"$out/large/script/past-the-first-block"
grow fuzz/corpus/settings/sample.ini 65536 >"$out/large/settings/at-the-limit.ini"
grow fuzz/corpus/settings/sample.ini 65537 >"$out/large/settings/past-the-limit.ini"
grow fuzz/corpus/settings/faults.ini 65536 >"$out/large/settings/faults-at-the-limit.ini"
grow fuzz/corpus/user-dirs/typical.dirs 69000 >"$out/large/user-dirs/long.dirs"

for name in script options settings user-dirs kept-games; do
    large="$out/large/$name"
    if [ -d "$large" ]; then
        echo "fuzz-short: $name-fuzzer, each input of $large once"
        if ! build/fuzz/fuzz/$name-fuzzer -artifact_prefix="$artifacts/$name-" "$large"/* \
                >"$out/$name-large.log" 2>&1; then
            tail -n 40 "$out/$name-large.log" >&2
            echo "fuzz-short: $name-fuzzer failed on an input of $large; the log is in" \
                 "$out/$name-large.log" >&2
            exit 1
        fi
    fi
    # New inputs go into a scratch corpus; the seeds in the tree stay as they are.
    mkdir -p "$out/$name"
    echo "fuzz-short: $name-fuzzer, $runs runs"
    if ! build/fuzz/fuzz/$name-fuzzer -seed=1 -runs="$runs" -max_total_time=60 \
            -max_len=$max_len -dict="fuzz/$name.dict" -artifact_prefix="$artifacts/$name-" \
            -print_final_stats=1 "$out/$name" "fuzz/corpus/$name" >"$out/$name.log" 2>&1; then
        tail -n 40 "$out/$name.log" >&2
        echo "fuzz-short: $name-fuzzer failed; the input is in $artifacts, the log in $out/$name.log" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|Done)' "$out/$name.log" || true
done
