#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks. Uses sudo when not run as root. Safe to run again.
set -e

# git: the source check lists the project's files with it. x11-utils: the
# real-window tests read the windows' size, place and icon with xwininfo and
# xprop. evilwm: a small window manager for the real-window tests that need one.
# ffmpeg: --video's encoder, which its test runs. libgl1-mesa-dri: Mesa's
# software OpenGL, which draws the GPU path's window tests under Xvfb.
# The last line: the Debian package's tools and the validators the tests run
# on it (groff-base has the groff that checks the manual page).
PACKAGES="cmake ninja-build g++ pkg-config make git \
libsdl2-dev libpng-dev zlib1g-dev \
libgtest-dev libgmock-dev libbenchmark-dev \
xvfb xauth xdotool x11-utils evilwm imagemagick python3 ffmpeg libgl1-mesa-dri \
clang clang-format libclang-rt-14-dev \
dpkg-dev lintian desktop-file-utils appstream groff-base"

# --- The web build (./web.sh: --web) and its browser test
# (tools/web-test.sh: --web-test) need more, installed only when asked for.
case "${1:-}" in
    --web) PACKAGES="$PACKAGES emscripten nodejs" ;;
    --web-test) PACKAGES="$PACKAGES emscripten nodejs chromium chromium-driver" ;;
esac
# --- End of the web section.

# --- The Windows build (./windows.sh: --windows) and its tests under Wine
# (tools/windows-test.sh: --windows-test; the wine command is in the first
# package, the 64-bit Wine in the second).
WINDOWS_BUILD="g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev"
case "${1:-}" in
    --windows) PACKAGES="$PACKAGES $WINDOWS_BUILD" ;;
    --windows-test) PACKAGES="$PACKAGES $WINDOWS_BUILD wine wine64 unzip libx11-dev" ;;
esac
# --- End of the Windows section.

# --- The latency measure (tools/perf/latency.sh: --perf) needs its peer game
# and the X extensions' headers its probe is built with.
case "${1:-}" in
    --perf) PACKAGES="$PACKAGES ltris libxtst-dev libxext-dev" ;;
esac
# --- End of the latency section.

missing=""
for p in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "install-deps: installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: these packages are missing:$missing" >&2
    echo "install-deps: run this script as root, or install sudo, to install them" >&2
    exit 1
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
