#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the release game and starts it.
# Arguments go to the game: ./run.sh --window
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/fompy-talden "$@"
