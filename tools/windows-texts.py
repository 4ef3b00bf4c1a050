#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the texts of the Windows zip, with Windows' line ends: README.txt
from cmake/windows/README.txt.in, with the option help of README.md's
"Command line" section (the program's --help, which a test keeps equal), and
LICENSE.txt from LICENSE.

    windows-texts.py SOURCE_DIR VERSION OUT_DIR
"""
import pathlib
import re
import sys


def crlf(text: str) -> bytes:
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def main() -> int:
    source, version, out = pathlib.Path(sys.argv[1]), sys.argv[2], pathlib.Path(sys.argv[3])
    readme = (source / "README.md").read_text(encoding="utf-8")
    match = re.search(r"^## Command line\n\n((?:    .*\n|\n)+)", readme, re.MULTILINE)
    if match is None:
        sys.exit("windows-texts.py: README.md has no \"Command line\" block")
    help_text = "\n".join(line[4:] for line in match.group(1).rstrip("\n").split("\n"))
    template = (source / "cmake/windows/README.txt.in").read_text(encoding="utf-8")
    text = template.replace("@VERSION@", version).replace("@HELP@", help_text)
    (out / "README.txt").write_bytes(crlf(text))
    (out / "LICENSE.txt").write_bytes(crlf((source / "LICENSE").read_text(encoding="utf-8")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
