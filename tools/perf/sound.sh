#!/bin/sh
# SPDX-License-Identifier: MIT
# sound.sh -- what the game thread spends on PlayCue, LoopCue and StopSound,
# over the short session played back at 70 frames/s with sound, on SDL's dummy
# and disk drivers (the disk driver writes the sound to a file in a scratch
# folder), under Xvfb.
#
#   tools/perf/sound.sh [RUNS]        (default 3 runs of the session a driver)
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-3}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'stop_started; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM

build_release bench-sound
start_xvfb 800x600x24
echo "load before: $(uptime | sed 's/.*load average: //')"
for driver in dummy disk; do
    SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE="$TMP/sound.raw" \
        "$ROOT/build/release/bench/bench-sound" --runs "$RUNS" || exit 1
done
echo "load after: $(uptime | sed 's/.*load average: //')"
