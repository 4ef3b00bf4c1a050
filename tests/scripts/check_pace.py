#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the pace of a window run from its recording, its log and its frame
log: over a stretch of play from the first Left to the last Right (pressed
at STARTED_US and ENDED_US on the test's clock, in microseconds), the game's
own clock gives 70 frames a second within 1%, by the frame log's finish
times and by the keys' frames against the test's clock; the frame log has
its header, its pictures in order, none presented before it was finished,
and at least ten a second shown. Prints what it measured.

usage: check_pace.py SESSION.txt RUN.log FRAMES.txt STARTED_US ENDED_US"""
import sys

session, log, frames = (open(p).read().splitlines() for p in sys.argv[1:4])
started, ended = int(sys.argv[4]), int(sys.argv[5])
fps = 70


def within(what, rate):
    if abs(rate - fps) > fps / 100:
        sys.exit(f"{what}: {rate:.2f} frames a second, not {fps} within 1%")
    print(f"{what}: {rate:.2f} frames a second")


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
print(f"{len(stretch)} of {frame_b - frame_a + 1} frames shown, finished to presented"
      f" median {late[len(late) // 2] / 1000:.1f} ms, most {late[-1] / 1000:.1f} ms")
