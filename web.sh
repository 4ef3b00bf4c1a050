#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the web version of the game into build/web/ (index.html,
# fompy-talden.js, fompy-talden.wasm), installing Debian's emscripten first
# when it is missing. Any static file server can serve the folder:
#   python3 -m http.server -d build/web --bind 127.0.0.1 8000
# then open http://127.0.0.1:8000
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh --web
# emcc's JavaScript tools find Debian's acorn parser there.
export NODE_PATH=/usr/share/nodejs
cmake --preset web >/dev/null
cmake --build --preset web
echo "web: the game is in build/web/; serve it on this machine with:"
echo "    python3 -m http.server -d build/web --bind 127.0.0.1 8000"
