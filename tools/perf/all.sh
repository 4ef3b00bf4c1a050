#!/bin/sh
# SPDX-License-Identifier: MIT
# all.sh -- every measurement of docs/performance.md, one after the other,
# from the release build: the core's game frame, the present's cost and
# pacing, the CPU shares and peak memory, the start-up time, the timedemo,
# the videos, the input-to-picture latency beside ltris's (whose packages
# tools/install-deps.sh --perf installs).
# Run it on a quiet machine; each part prints the load average around it.
#
#   tools/perf/all.sh
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
HERE="$ROOT/tools/perf"
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'rm -rf "$TMP"' EXIT

build_release fompy-talden bench-game-frame bench-present
echo "== a game frame of the core"
"$ROOT/build/release/bench/bench-game-frame" || exit 1
echo "== showing a frame, and the pacing"
"$HERE/present.sh" || exit 1
echo "== CPU shares and peak memory"
"$HERE/cpu.sh" || exit 1
echo "== start-up"
"$HERE/startup.sh" || exit 1
echo "== timedemo"
"$HERE/timedemo.sh" || exit 1
echo "== videos"
"$HERE/video.sh" || exit 1
echo "== input to picture"
"$HERE/latency.sh" 200 || exit 1
