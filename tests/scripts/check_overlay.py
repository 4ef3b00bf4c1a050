#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks what a 640x480 window draws over the picture against a screenshot
of the picture. Exits 1 with the first wrong pixel.

    check_overlay.py paused SCREENSHOT.ppm WINDOW.ppm MASK.ppm
        every pixel at half its brightness, except the white ones of PAUSED
        and the hint under it: those of the 320x200 mask (a golden picture
        of tests/golden/paused), scaled as the window scales the picture;
    check_overlay.py mark WINDOW.ppm MASK.ppm
        a playback's mark in the top left corner: where the 320x200 mask (a
        golden picture of tests/golden/paused) is white or black, the window
        is too, scaled as the window scales the picture;
    check_overlay.py marked PICTURE.ppm WINDOW.ppm MASK.ppm
        the 320x200 picture of a headless run with a playback's mark over
        it: at the centre of the block each picture pixel is scaled to, the
        window shows the mask's colour where the mask is white or black, and
        the picture's exact colour everywhere else;
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


def picture_pixel(n: int, size: int, picture_size: int) -> int:
    """The picture pixel a window pixel shows: picture pixel p covers the
    window pixels from p * size // picture_size up to the next one's."""
    return ((n + 1) * picture_size - 1) // size


def check_paused(w: int, h: int, shot: bytes, window: bytes, mask_file: str) -> None:
    mw, mh, mask = read_ppm(mask_file)
    if (mw, mh) != (320, 200):
        sys.exit(f"the mask is {mw}x{mh}, not 320x200")
    for y in range(h):
        row = picture_pixel(y, h, mh)
        for x in range(w):
            i = (y * w + x) * 3
            m = (row * mw + picture_pixel(x, w, mw)) * 3
            want = WHITE if mask[m:m + 3] == WHITE else bytes(c // 2 for c in shot[i:i + 3])
            got = window[i:i + 3]
            if got != want:
                sys.exit(f"pixel {x},{y} is {tuple(got)}, not {tuple(want)} "
                         f"({'the word' if want == WHITE else 'the dimmed picture'})")


def check_mark(w: int, h: int, window: bytes, mask_file: str) -> None:
    mw, mh, mask = read_ppm(mask_file)
    seen = 0
    for y in range(h):
        row = picture_pixel(y, h, mh)
        for x in range(w):
            m = (row * mw + picture_pixel(x, w, mw)) * 3
            want = mask[m:m + 3]
            if want not in (WHITE, BLACK):
                continue
            seen += 1
            got = window[(y * w + x) * 3:(y * w + x) * 3 + 3]
            if got != want:
                sys.exit(f"pixel {x},{y} of the mark is {tuple(got)}, not {tuple(want)}")
    if seen == 0:
        sys.exit("the mask holds no mark")


def check_marked(w: int, h: int, window: bytes, picture_file: str, mask_file: str) -> None:
    pw, ph, picture = read_ppm(picture_file)
    mw, mh, mask = read_ppm(mask_file)
    if (pw, ph) != (320, 200) or (mw, mh) != (320, 200):
        sys.exit(f"the picture is {pw}x{ph} and the mask {mw}x{mh}, not 320x200")
    # Each picture pixel at the centre of the block it was scaled to.
    for y in range(ph):
        wy = int((y + 0.5) * h / ph)
        for x in range(pw):
            wx = int((x + 0.5) * w / pw)
            p = (y * pw + x) * 3
            want = mask[p:p + 3] if mask[p:p + 3] in (WHITE, BLACK) else picture[p:p + 3]
            got = window[(wy * w + wx) * 3:(wy * w + wx) * 3 + 3]
            if got != want:
                sys.exit(f"picture pixel {x},{y} shows as {tuple(got)}, not {tuple(want)}")


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
    arguments = {"paused": 5, "note": 4, "mark": 4, "marked": 5}
    if len(sys.argv) not in (4, 5) or arguments.get(sys.argv[1]) != len(sys.argv):
        sys.exit(__doc__)
    if sys.argv[1] == "mark":
        w, h, window = read_ppm(sys.argv[2])
        check_mark(w, h, window, sys.argv[3])
        return 0
    if sys.argv[1] == "marked":
        w, h, window = read_ppm(sys.argv[3])
        check_marked(w, h, window, sys.argv[2], sys.argv[4])
        return 0
    w, h, shot = read_ppm(sys.argv[2])
    ww, wh, window = read_ppm(sys.argv[3])
    if (w, h) != (ww, wh):
        sys.exit(f"the window is {ww}x{wh}, the screenshot {w}x{h}")
    if sys.argv[1] == "paused":
        check_paused(w, h, shot, window, sys.argv[4])
    else:
        check_note(w, h, shot, window)
    return 0


if __name__ == "__main__":
    sys.exit(main())
