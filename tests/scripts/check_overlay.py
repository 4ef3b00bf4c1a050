#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks what a 640x480 window draws over the picture against a screenshot
of the picture. Exits 1 with the first wrong pixel.

    check_overlay.py paused SCREENSHOT.ppm WINDOW.ppm
        every pixel at half its brightness, except white ones where PAUSED
        stands in the middle (a box of 70x10 picture pixels, 140x24 window
        pixels);
    check_overlay.py note SCREENSHOT.ppm WINDOW.ppm
        the volume note "VOLUME 90": every pixel the same, except in the
        note's box at the top in the middle (114x18 picture pixels from 103,4;
        206 to 433 across and 9 to 51 down), which holds only black and white,
        enough of each.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_picture import read_ppm  # noqa: E402

BLACK, WHITE = b"\x00\x00\x00", b"\xff\xff\xff"


def check_paused(w: int, h: int, shot: bytes, window: bytes) -> None:
    white = 0
    for y in range(h):
        for x in range(w):
            i = (y * w + x) * 3
            want = bytes(c // 2 for c in shot[i:i + 3])
            got = window[i:i + 3]
            inside = 245 <= x < 395 and 225 <= y < 255
            if got == WHITE and inside:
                white += 1
            elif got != want:
                sys.exit(f"pixel {x},{y} is {tuple(got)}, not the dimmed {tuple(want)}")
    if white < 200:
        sys.exit(f"only {white} white pixels where PAUSED should be")


def check_note(w: int, h: int, shot: bytes, window: bytes) -> None:
    seen = {BLACK: 0, WHITE: 0}
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
        sys.exit(f"the note's box is not the note: {seen[BLACK]} black and "
                 f"{seen[WHITE]} white pixels")


def main() -> int:
    checks = {"paused": check_paused, "note": check_note}
    if len(sys.argv) != 4 or sys.argv[1] not in checks:
        sys.exit(__doc__)
    w, h, shot = read_ppm(sys.argv[2])
    ww, wh, window = read_ppm(sys.argv[3])
    if (w, h) != (ww, wh):
        sys.exit(f"the window is {ww}x{wh}, the screenshot {w}x{h}")
    checks[sys.argv[1]](w, h, shot, window)
    return 0


if __name__ == "__main__":
    sys.exit(main())
