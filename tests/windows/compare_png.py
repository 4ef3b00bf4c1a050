#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Compares two folders of 8-bit indexed PNG pictures, the --dump of two
runs: the same file names, and in each pair the same size, the same palette
and the same colour index in every pixel, however each file was compressed
or filtered. Prints the first difference and exits 1 if there is one.

    compare_png.py DIR_A DIR_B
"""
import pathlib
import struct
import sys
import zlib


def decode(path: pathlib.Path) -> tuple[int, int, bytes, bytes]:
    """(width, height, palette bytes, one index a pixel) of an 8-bit palette PNG."""
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, chunks, idat = 8, {}, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"{path}: bad CRC in {kind.decode()}")
        if kind == b"IDAT":
            idat += body
        else:
            chunks[kind] = body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if (depth, colour, interlace) != (8, 3, 0):
        raise ValueError(f"{path}: not an 8-bit palette picture without interlace")
    raw = zlib.decompress(idat)
    rows, prev, pos = [], bytearray(width), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + width])
        pos += 1 + width
        for x in range(width if kind else 0):
            left = line[x - 1] if x else 0
            up, up_left = prev[x], prev[x - 1] if x else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                nearest = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                line[x] = (line[x] + nearest) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, chunks[b"PLTE"], b"".join(rows)


def main() -> int:
    a, b = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    names_a = sorted(p.name for p in a.glob("*.png"))
    names_b = sorted(p.name for p in b.glob("*.png"))
    if not names_a or names_a != names_b:
        print(f"different pictures: {len(names_a)} in {a}, {len(names_b)} in {b}")
        return 1
    for name in names_a:
        wa, ha, pal_a, pix_a = decode(a / name)
        wb, hb, pal_b, pix_b = decode(b / name)
        if (wa, ha) != (wb, hb):
            print(f"{name}: {wa}x{ha} against {wb}x{hb}")
            return 1
        if pal_a != pal_b:
            print(f"{name}: the palettes differ")
            return 1
        if pix_a != pix_b:
            at = next(i for i in range(len(pix_a)) if pix_a[i] != pix_b[i])
            print(f"{name}: pixel ({at % wa}, {at // wa}) is {pix_a[at]} against {pix_b[at]}")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
