#!/bin/sh
# SPDX-License-Identifier: MIT
# The GPU path with --present vsync in a real X window (Xvfb, Mesa's software
# OpenGL, no real refresh behind it): a game played 20 seconds with real keys
# keeps the game's own 70 frames a second, by the test's clock against the
# frames the keys were stamped with and by the frame log's finish times; the
# frame log shows every picture after it was finished and in order; the
# recording replays headless to the window run's very log. The display either
# paces the presenter thread or the run falls back to presenting at once,
# saying so in one line, and nothing else is said.
set -u
BIN="$1"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/harness.inc"
. "$HERE/xvfb_session.inc"

"$BIN" --window --renderer gpu --present vsync --record "$TMP/session.txt" \
    --log "$TMP/window.log" --frame-log "$TMP/frames.txt" 2>"$TMP/game.err" &
GAME_PID=$!
WINDOW=$(timeout 10 xdotool search --sync --name '^FOMPY TALDEN$' | head -n 1)
[ -n "$WINDOW" ] || fail "no window appeared: $(cat "$TMP/game.err")"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
now_us() { echo $(($(date +%s%N) / 1000)); }
sleep 1
xdotool key --delay 150 Return Return  # the intro, then GAME A
sleep 1.5
# Twenty seconds of play, a key a second: too few for the pieces to fill
# the well at the first level's speed. The first Left and the last Right
# mark the stretch on the test's clock.
started=$(now_us)
for key in Left Up Right Left Down Right Up Left Right Up Left Down Right Up Left Right Left Up Down; do
    xdotool key "$key"
    sleep 1
done
ended=$(now_us)
xdotool key Right
sleep 0.3
xdotool key --delay 150 Escape Up Return  # to the menu, up to "QUIT"
expect_quit

# Mesa's software OpenGL must have drawn it: the GPU path opened.
if grep -q "cannot draw with the GPU" "$TMP/game.err"; then
    fail "the GPU path did not open (Mesa's software OpenGL, package libgl1-mesa-dri;" \
        "./tools/install-deps.sh installs it): $(cat "$TMP/game.err")"
fi
grep -v "^fompy-talden: cannot present with vsync: .*; presenting at once$" "$TMP/game.err" \
    >"$TMP/said" && fail "the run said more than a fallback: $(cat "$TMP/said")"
[ "$(wc -l <"$TMP/game.err")" -le 1 ] || fail "the fallback was said twice: $(cat "$TMP/game.err")"

python3 - "$TMP/session.txt" "$TMP/window.log" "$TMP/frames.txt" "$started" "$ended" <<'EOF' ||
import sys
session, log, frames = (open(p).read().splitlines() for p in sys.argv[1:4])
started, ended = int(sys.argv[4]), int(sys.argv[5])
fps = 70
def within(what, rate):
    if abs(rate - fps) > fps / 100:
        sys.exit(f"{what}: {rate:.2f} frames a second, not {fps} within 1%")
    print(f"vsync: {what}: {rate:.2f} frames a second")

# The play's stretch: from the first Left to the last Right.
keys = [line.split() for line in session if line[:1].isdigit()]
first = next(int(k[0]) for k in keys if k[1:] == ["left", "down"])
last = [int(k[0]) for k in keys if k[1:] == ["right", "down"]][-1]
# The frame log counts the game's presented frames; the log's presents are
# at the frames the keys were stamped with.
if frames[:1] != ["# GAME_FRAME FINISHED_US PRESENTED_US"]:
    sys.exit(f"the frame log's first line is {frames[:1]}")
shown = [tuple(int(v) for v in line.split()) for line in frames[1:]]
if any(len(s) != 3 for s in shown):
    sys.exit("a frame log line without three numbers")
for (f0, fin0, at0), (f1, fin1, at1) in zip(shown, shown[1:]):
    if f1 < f0 or at1 < at0 or fin1 < fin0:
        sys.exit(f"out of order: '{f0} {fin0} {at0}' before '{f1} {fin1} {at1}'")
early = [s for s in shown if s[2] < s[1]]
if early:
    sys.exit(f"presented before it was finished: {early[0]}")
presents = [int(line.split()[0]) for line in log if line.split()[1:2] == ["present"]]
frame_a = sum(1 for t in presents if t <= first)
frame_b = sum(1 for t in presents if t <= last)
stretch = [s for s in shown if frame_a <= s[0] <= frame_b]
seconds = (ended - started) / 1e6
if len(stretch) < 10 * seconds:
    sys.exit(f"{len(stretch)} pictures shown in {seconds:.1f} s of play")
# The game's own clock: its slots a period apart. A loaded machine may wake
# the game more than a period late, and that present starts the schedule
# anew: those gaps are the machine's, left out here and counted.
period = 1e6 / fps
kept_frames = kept_us = lost_us = lost_frames = 0
for (f0, fin0, _), (f1, fin1, _) in zip(stretch, stretch[1:]):
    if fin1 - fin0 <= (f1 - f0 + 1) * period:
        kept_frames += f1 - f0
        kept_us += fin1 - fin0
    else:
        lost_frames += f1 - f0
        lost_us += fin1 - fin0
if lost_us > (stretch[-1][1] - stretch[0][1]) / 4:
    sys.exit(f"the game was late by more than a period for {lost_us / 1e6:.1f} s of the play")
within("the frame log's finish times", kept_frames * 1e6 / kept_us)
# The keys' frames against the test's clock, from the first Left to the
# last Right, with the frames the machine kept the game from added back.
starved = lost_us / period - lost_frames
within(f"the keys' frames by the test's clock ({starved:.0f} frames starved)",
       (last - first + starved) * 1e6 / (ended - started))
late = sorted(s[2] - s[1] for s in stretch)
print(f"vsync: {len(stretch)} of {frame_b - frame_a + 1} frames shown, finished to presented"
      f" median {late[len(late) // 2] / 1000:.1f} ms, most {late[-1] / 1000:.1f} ms")
EOF
    fail "the pace of the vsync run"

"$BIN" --headless --script "$TMP/session.txt" --log "$TMP/replay.log" ||
    fail "the recording does not replay"
cmp -s "$TMP/window.log" "$TMP/replay.log" ||
    fail "the replay differs from the window run: $(cmp "$TMP/window.log" "$TMP/replay.log")"
exit 0
