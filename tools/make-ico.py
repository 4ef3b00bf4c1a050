#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Packs PNG icons into one Windows .ico file, each image kept as PNG (as
Windows reads them since Vista), smallest first.

    make-ico.py OUT.ico ICON.png...
"""
import struct
import sys


def png_size(data: bytes) -> tuple[int, int]:
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main() -> int:
    out, pngs = sys.argv[1], sys.argv[2:]
    images = []
    for path in pngs:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            sys.exit(f"make-ico.py: {path} is larger than 256 pixels")
        images.append((width, height, data))
    images.sort(key=lambda image: image[0])
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for width, height, data in images:
        # 0 stands for 256; 32 bits a pixel, no palette.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                               offset + len(blobs))
        blobs += data
    with open(out, "wb") as f:
        f.write(header + entries + blobs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
