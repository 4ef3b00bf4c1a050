#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures how a screenshot of the window shows the game's rows and columns
when the picture is scaled sharp: each run of alike game rows (a single row,
or rows the picture repeats) shows as window rows of exactly its colours,
the unblended part, then a blended edge of one or two window rows before the
next run. Every run's unblended part must be within one window row of every
other run's of the same length, and so for the columns across; where the
factor across is whole, every column is exactly that many window columns,
unblended. Prints the heights and widths it measured.

usage: check_rows.py SHOT.ppm PICTURE.ppm LEFT TOP WIDTH HEIGHT
(LEFT, TOP, WIDTH, HEIGHT: where the picture lies in the screenshot)"""
import sys

from compare_picture import read_ppm


def runs_of(lines):
    """The runs of alike neighbours among lines: [first, count] each."""
    runs = []
    for i, line in enumerate(lines):
        if runs and lines[runs[-1][0]] == line:
            runs[-1][1] += 1
        else:
            runs.append([i, 1])
    return runs


def measure(axis, game, shown, span):
    """game: the picture's lines (rows or columns) as sampled; shown: the
    window's lines across the picture's span, sampled at the same places.
    Returns {run length: [unblended window lines of each run]} and the most
    blended lines found between two runs."""
    runs = runs_of(game)
    # Each window line is unblended where it is exactly one run's colours;
    # the runs come in order down (or across) the window.
    owner = []
    for i, line in enumerate(shown):
        near = int((i + 0.5) * len(game) / span)
        found = None
        for k, (first, count) in enumerate(runs):
            if first - 2 <= near < first + count + 2 and game[first] == line:
                found = k
                break
        owner.append(found)
    heights = [0] * len(runs)
    last = -1
    gap = 0
    widest_edge = 0
    for i, k in enumerate(owner):
        if k is None:
            gap += 1
            continue
        if k < last:
            sys.exit(f"{axis} {i} of the window shows an earlier run of the picture")
        if k != last:
            if heights[k]:
                sys.exit(f"{axis} run at {runs[k][0]} of the picture is shown in two places")
            if last >= 0:
                widest_edge = max(widest_edge, gap)
            last = k
        heights[k] += 1
        gap = 0
    missing = [runs[k][0] for k, h in enumerate(heights) if h == 0]
    if missing:
        sys.exit(f"{axis}s {missing[:5]} of the picture are not shown unblended anywhere")
    by_length = {}
    for (first, count), height in zip(runs, heights):
        by_length.setdefault(count, []).append(height)
    return by_length, widest_edge


def main():
    shot_w, shot_h, shot = read_ppm(sys.argv[1])
    pic_w, pic_h, pic = read_ppm(sys.argv[2])
    left, top, width, height = (int(v) for v in sys.argv[3:7])
    if left + width > shot_w or top + height > shot_h:
        sys.exit(f"the screenshot is {shot_w}x{shot_h}, too small for the picture's place")

    def shot_at(x, y):
        return shot[(y * shot_w + x) * 3:(y * shot_w + x) * 3 + 3]

    def pic_at(x, y):
        return pic[(y * pic_w + x) * 3:(y * pic_w + x) * 3 + 3]

    # Down the middle of each game column, and across the middle of each game
    # row: inside the unblended part of the other direction.
    xs = [left + int((c + 0.5) * width / pic_w) for c in range(pic_w)]
    ys = [top + int((r + 0.5) * height / pic_h) for r in range(pic_h)]
    rows = measure("row", [b"".join(pic_at(c, r) for c in range(pic_w)) for r in range(pic_h)],
                   [b"".join(shot_at(x, top + i) for x in xs) for i in range(height)], height)
    columns = measure("column",
                      [b"".join(pic_at(c, r) for r in range(pic_h)) for c in range(pic_w)],
                      [b"".join(shot_at(left + i, y) for y in ys) for i in range(width)], width)
    failed = False
    for axis, (by_length, edge), span, lines in (("row", rows, height, pic_h),
                                                 ("column", columns, width, pic_w)):
        whole = span % lines == 0
        sizes = ", ".join(f"runs of {n}: {min(h)}-{max(h)}" for n, h in sorted(by_length.items()))
        print(f"{axis}s over {span} window lines, unblended {sizes}; edges up to {edge} blended")
        for count, found in by_length.items():
            if max(found) - min(found) > 1:
                print(f"FAIL: {axis} runs of {count} are {min(found)} to {max(found)} unblended")
                failed = True
            if whole and (min(found) != max(found) or found[0] != count * span // lines):
                print(f"FAIL: a whole factor of {span // lines}, but {axis} runs of {count}"
                      f" are {min(found)} to {max(found)}")
                failed = True
        if whole and edge:
            print(f"FAIL: a whole factor of {span // lines}, but {axis}s are blended")
            failed = True
        if not whole and not 1 <= edge <= 2:
            print(f"FAIL: the {axis}s' edges are up to {edge} blended, not one or two:"
                  " not sharp scaling")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
