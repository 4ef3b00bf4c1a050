#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Compares a screenshot of the game's window with a 320x200 picture of a
headless run: every source pixel must show, in its exact colour, at the centre
of the block it was scaled to. Both files are binary PPM (P6).

usage: compare_picture.py SHOT.ppm PICTURE.ppm LEFT TOP WIDTH HEIGHT
(LEFT, TOP, WIDTH, HEIGHT: where the picture lies in the screenshot)"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", "expected an 8-bit P6 file"
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def main():
    shot_w, _, shot = read_ppm(sys.argv[1])
    pic_w, pic_h, pic = read_ppm(sys.argv[2])
    left, top, width, height = (int(v) for v in sys.argv[3:7])
    wrong = []
    for y in range(pic_h):
        sy = top + int((y + 0.5) * height / pic_h)
        for x in range(pic_w):
            sx = left + int((x + 0.5) * width / pic_w)
            want = pic[(y * pic_w + x) * 3:(y * pic_w + x) * 3 + 3]
            got = shot[(sy * shot_w + sx) * 3:(sy * shot_w + sx) * 3 + 3]
            if want != got:
                wrong.append((x, y, tuple(want), tuple(got)))
    if wrong:
        print(f"{len(wrong)} of {pic_w * pic_h} pixels differ; first: "
              f"picture ({wrong[0][0]}, {wrong[0][1]}) is {wrong[0][2]}, window shows {wrong[0][3]}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
