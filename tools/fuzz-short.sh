#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets of the script, option, settings and user-dirs parsers (preset "fuzz")
# and runs each for a short fixed budget from the seed corpus in fuzz/corpus.
# A crash, a sanitizer report or a broken parser promise fails the script; the
# input that did it is kept in build/fuzz/artifacts. Usage:
#   tools/fuzz-short.sh [RUNS]     RUNS executions per fuzzer (default 300000)
set -e
cd "$(dirname "$0")/.."
runs=${1:-300000}
. tests/need.inc
need clang++ clang

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/fuzz-short
artifacts=build/fuzz/artifacts
rm -rf "$out"
mkdir -p "$artifacts"
for name in script options settings user-dirs; do
    # New inputs go into a scratch corpus; the seeds in the tree stay as they are.
    mkdir -p "$out/$name"
    echo "fuzz-short: $name-fuzzer, $runs runs"
    if ! build/fuzz/fuzz/$name-fuzzer -seed=1 -runs="$runs" -max_total_time=60 \
            -max_len=8192 -dict="fuzz/$name.dict" -artifact_prefix="$artifacts/$name-" \
            -print_final_stats=1 "$out/$name" "fuzz/corpus/$name" >"$out/$name.log" 2>&1; then
        tail -n 40 "$out/$name.log" >&2
        echo "fuzz-short: $name-fuzzer failed; the input is in $artifacts, the log in $out/$name.log" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|Done)' "$out/$name.log" || true
done
