#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks that every folder of src/ includes only folders on its own floor or
below, as docs/architecture.md draws them. Prints each include that runs up a
floor, or across to a folder of the same floor that is not its own, and exits
1 if there is any.

    python3 tools/check-floors.py [SRC_DIR]
"""
import pathlib
import re
import sys

# Floor by floor from the ground up; folders on one floor do not include one
# another.
FLOORS = [
    ["core/seam"],
    ["core/state"],
    ["core/render"],
    ["core/display"],
    ["core/game"],
    ["core/frontend"],
    ["core/program"],
    ["platform/common"],
    ["platform/journal"],
    ["platform/window"],
    ["platform/headless", "platform/sdl", "platform/video", "platform/web", "platform/win32"],
    ["shell"],
]
FLOOR_OF = {folder: n for n, floor in enumerate(FLOORS) for folder in floor}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def folder_of(path: str) -> str | None:
    """The deepest known folder holding path (relative to src/), if any."""
    parts = path.split("/")[:-1]
    while parts:
        folder = "/".join(parts)
        if folder in FLOOR_OF:
            return folder
        parts.pop()
    return None


def main() -> int:
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    faults = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp") or "zlib" in file.parts:
            continue
        here = folder_of(file.relative_to(src).as_posix())
        if here is None:
            faults.append(f"{file}: in no floor; add its folder to tools/check-floors.py")
            continue
        for target in INCLUDE.findall(file.read_text(errors="replace")):
            there = folder_of(target)
            if there is None or there == here:
                continue  # a file of its own folder, or outside src/ (resources)
            if FLOOR_OF[there] >= FLOOR_OF[here]:
                faults.append(f"{file}: includes {target}, floor {FLOOR_OF[there] + 1} "
                              f"({there}) from floor {FLOOR_OF[here] + 1} ({here})")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} includes against the floors")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
