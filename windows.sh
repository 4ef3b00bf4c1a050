#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Windows version of the game: build/windows/fompy-talden-VERSION-win64.zip
# holding fompy-talden.exe (64-bit, needs no DLL but Windows' own), README.txt
# and LICENSE.txt. Installs Debian's MinGW-w64 first when it is missing. The
# tools that run during the build are built for this machine on the way.
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh --windows
cmake --preset windows >/dev/null
cmake --build --preset windows
echo "windows: the game is in $(ls build/windows/fompy-talden-*-win64.zip)"
