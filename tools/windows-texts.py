#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the texts of the Windows zip, with Windows' line ends: README.txt
from cmake/windows/README.txt.in with the Windows program's --help (written
by write-help on the build machine) in it, and LICENSE.txt from LICENSE.

    windows-texts.py SOURCE_DIR VERSION OUT_DIR HELP_FILE

With --check, says of each file whether it names a Linux path or variable,
which no text of the Windows program may, and fails if one does:

    windows-texts.py --check FILE...
"""
import pathlib
import sys

# What only the Linux program's texts may name: the desktop's variables and
# the home folder's paths.
LINUX_ONLY = ("XDG", "~/", "$HOME", "/.config")


def crlf(text: str) -> bytes:
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def check(paths) -> int:
    failed = 0
    for path in paths:
        try:
            text = pathlib.Path(path).read_text(encoding="utf-8")
        except OSError as error:
            print(f"windows-texts.py: cannot read {path}: {error.strerror}", file=sys.stderr)
            failed = 1
            continue
        for number, line in enumerate(text.splitlines(), 1):
            for word in LINUX_ONLY:
                if word in line:
                    print(f"{path}:{number}: names {word!r}, which Windows does not have: "
                          f"{line.strip()}", file=sys.stderr)
                    failed = 1
    return failed


def main() -> int:
    if len(sys.argv) >= 2 and sys.argv[1] == "--check":
        if len(sys.argv) == 2:
            sys.exit("usage: windows-texts.py --check FILE...")
        return check(sys.argv[2:])
    if len(sys.argv) != 5:
        sys.exit("usage: windows-texts.py SOURCE_DIR VERSION OUT_DIR HELP_FILE")
    source, version, out = pathlib.Path(sys.argv[1]), sys.argv[2], pathlib.Path(sys.argv[3])
    help_text = pathlib.Path(sys.argv[4]).read_text(encoding="utf-8").rstrip("\n")
    template = (source / "cmake/windows/README.txt.in").read_text(encoding="utf-8")
    text = template.replace("@VERSION@", version).replace("@HELP@", help_text)
    (out / "README.txt").write_bytes(crlf(text))
    (out / "LICENSE.txt").write_bytes(crlf((source / "LICENSE").read_text(encoding="utf-8")))
    # The zip's README names what Windows does, never the desktop's paths.
    return check([out / "README.txt"])


if __name__ == "__main__":
    sys.exit(main())
