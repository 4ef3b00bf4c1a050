#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks a paused window against a screenshot of the picture it shows: every
pixel at half its brightness, except white ones where PAUSED stands in the
middle (a box of 70x10 picture pixels, 140x24 window pixels, in a 640x480
window). Exits 1 with the first wrong pixel.

    check_paused.py SCREENSHOT.ppm PAUSED_WINDOW.ppm
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_picture import read_ppm  # noqa: E402


def main() -> int:
    w, h, shot = read_ppm(sys.argv[1])
    ww, wh, window = read_ppm(sys.argv[2])
    if (w, h) != (ww, wh):
        sys.exit(f"the window is {ww}x{wh}, the screenshot {w}x{h}")
    white = 0
    for y in range(h):
        for x in range(w):
            i = (y * w + x) * 3
            want = bytes(c // 2 for c in shot[i:i + 3])
            got = window[i:i + 3]
            inside = 245 <= x < 395 and 225 <= y < 255
            if got == b"\xff\xff\xff" and inside:
                white += 1
            elif got != want:
                sys.exit(f"pixel {x},{y} is {tuple(got)}, not the dimmed {tuple(want)}")
    if white < 200:
        sys.exit(f"only {white} white pixels where PAUSED should be")
    return 0


if __name__ == "__main__":
    sys.exit(main())
