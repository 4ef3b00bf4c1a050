#!/bin/sh
# SPDX-License-Identifier: MIT
# The browser test of the web build (tests/web/browser_test.mjs): builds
# build/web/, plays the page from the intro to "QUIT" in headless Chromium (with
# the keyboard, then by touch on a phone-sized page, then with a gamepad) and
# checks it against a headless run of the native program on the same keys,
# printing the frame rate and p99 frame interval of 20 s of the game;
# the game played is kept, in the page's table, watched and saved, and a
# recording made headless plays in the page; then with storage refused, with no room to keep the game, and with a new
# build published under an open page; and the native program's videos play in
# Chromium. Before it, the service worker alone in
# node (tests/web/service_worker_test.mjs), failed by its server and storage.
# Installs emscripten, Chromium and chromedriver from Debian's packages first
# when they are missing. Screenshots, the keys, the logs and the downloaded
# screenshot are left in build/web-test/.
#
# Usage: tools/web-test.sh [NATIVE_PROGRAM]   (default: the debug build's, made here)
set -e
cd "$(dirname "$0")/.."
./tools/install-deps.sh --web-test
./web.sh
. tests/need.inc
need node nodejs chromium chromium chromedriver chromium-driver
native="${1:-}"
if [ -z "$native" ]; then
    cmake --preset debug >/dev/null
    cmake --build --preset debug --target fompy-talden make-icons
    native=build/debug/fompy-talden
fi
node tests/web/service_worker_test.mjs build/web
sh tests/web/corpus.sh build/web-build/src/platform/web/fompy-talden-replay.js
node tests/web/browser_test.mjs --site build/web --native "$native" --out build/web-test
# The native program's --video of the short session, as .mp4 and .webm, plays
# in Chromium for the run's length.
python3 tests/scripts/video_browser.py "$native" "$(command -v chromium)" bench/sessions/short.txt
