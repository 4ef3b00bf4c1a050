#!/bin/sh
# SPDX-License-Identifier: MIT
# windows-draw.sh -- the Windows platform's two ways of drawing, timed under
# Wine in an Xvfb window: an 8-bit DIB with its palette that GDI scales, and
# 32-bit pixels converted and scaled by the program. Wine's GDI is not
# Windows', so the figures compare the two ways on this machine only.
#
#   tools/perf/windows-draw.sh [FRAMES]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
./windows.sh >/dev/null
cmake --build build/windows --target win32-draw-bench >/dev/null
TMP=$(mktemp -d)
export WINEPREFIX="$ROOT/build/windows-test/wine" WINEDEBUG=-all
exec 3>"$TMP/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill $XVFB_PID; wineserver -k 2>/dev/null; rm -rf "$TMP"' EXIT
for _ in $(seq 50); do [ -s "$TMP/displayfd" ] && break; sleep 0.1; done
DISPLAY=":$(head -n 1 "$TMP/displayfd")"
export DISPLAY
wineserver -k 2>/dev/null || true
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
wine build/windows/win32-draw-bench.exe "${1:-700}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
