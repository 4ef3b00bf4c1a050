#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks a window showing the volume note "VOLUME 90" over the picture
against a screenshot of the picture: every pixel the same, except in the
note's box at the top in the middle (114x18 picture pixels from 103,4; in a
640x480 window, 206 to 433 across and 9 to 51 down), which holds only black
and white, enough of each. Exits 1 with the first wrong pixel.

    check_note.py SCREENSHOT.ppm WINDOW.ppm
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
    black, white = b"\x00\x00\x00", b"\xff\xff\xff"
    seen = {black: 0, white: 0}
    for y in range(h):
        for x in range(w):
            i = (y * w + x) * 3
            got = window[i:i + 3]
            if 206 <= x < 434 and 9 <= y < 52:
                if got not in seen:
                    sys.exit(f"pixel {x},{y} of the note is {tuple(got)}, not black or white")
                seen[got] += 1
            elif got != shot[i:i + 3]:
                sys.exit(f"pixel {x},{y} is {tuple(got)}, not the picture's {tuple(shot[i:i + 3])}")
    if min(seen.values()) < 500:
        sys.exit(f"the note's box is not the note: {seen[black]} black and "
                 f"{seen[white]} white pixels")
    return 0


if __name__ == "__main__":
    sys.exit(main())
