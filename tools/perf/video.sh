#!/bin/sh
# SPDX-License-Identifier: MIT
# video.sh -- how fast --video renders a recording in each container: the
# long session of bench/sessions (or SESSION) made into .mkv, .mp4, .webm
# and .gif (the GIF at --scale 1 and its first 7000 frames), RUNS times each
# (default 3), with the wall time and the speed as a multiple of real time
# (the run's frames / 70 seconds over the time it took).
#
#   tools/perf/video.sh [RUNS [SESSION]]
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-3}
SESSION=${2:-$ROOT/bench/sessions/long.txt}
TMP=$(mktemp -d)
. "$ROOT/tools/perf/common.inc"
trap 'rm -rf "$TMP"' EXIT

build_release fompy-talden
echo "$(ffmpeg -version | head -1)"
echo "load before: $(uptime | sed 's/.*load average: //')"
# The program's own share: the frames and the sound of the long session into
# an "ffmpeg" that reads both pipes and keeps nothing.
mkdir "$TMP/sink"
printf '#!/bin/sh\ncat <&3 >/dev/null &\ncat >/dev/null\nwait\n' >"$TMP/sink/ffmpeg"
chmod +x "$TMP/sink/ffmpeg"
start=$(date +%s.%N)
PATH="$TMP/sink:$PATH" "$BIN" --video "$TMP/none.mkv" "$SESSION" || exit 1
stop=$(date +%s.%N)
run=$("$BIN" --verify "$SESSION" | sed -n 's/^run: .* \([0-9]*\) frames, .*/\1/p')
echo "$run $start $stop" | awk '{ printf "the frames and sound alone: %d frames in %.1f s, %.1f times real time\n",
                                        $1, $3 - $2, $1 / 70 / ($3 - $2) }'
for kind in mkv mp4 webm gif; do
    extra=""
    [ "$kind" = gif ] && extra="--scale 1 --frames 7000"
    for _ in $(seq "$RUNS"); do
        rm -f "$TMP/video.$kind"
        start=$(date +%s.%N)
        # shellcheck disable=SC2086
        "$BIN" --video "$TMP/video.$kind" "$SESSION" $extra || exit 1
        stop=$(date +%s.%N)
        frames=$(ffprobe -v error -select_streams v:0 -count_packets \
            -show_entries stream=nb_read_packets -of csv=p=0 "$TMP/video.$kind")
        [ "$kind" = gif ] && frames=$((frames * 70 / 50))  # a GIF of 50 frames a second
        echo "$kind $frames $start $stop $(stat -c %s "$TMP/video.$kind")" | awk '{
            seconds = $4 - $3
            printf "%s: %d frames (%.1f s of the run) in %.1f s: %.2f times real time, %.1f MB\n",
                   $1, $2, $2 / 70, seconds, $2 / 70 / seconds, $5 / 1e6 }'
    done
done
echo "load after: $(uptime | sed 's/.*load average: //')"
