#!/bin/sh
# SPDX-License-Identifier: MIT
# The tests of the Windows build under Wine (tests/windows): builds the zip
# with ./windows.sh, then checks its contents and the program's imports, the
# headless runs against the Linux program's, and a real window under Xvfb.
# Installs MinGW-w64 and Wine from Debian's packages first when they are
# missing. Wine's prefix is made once and kept in build/windows-test/wine.
#
# Usage: tools/windows-test.sh [LINUX_PROGRAM]   (default: the debug build's, made here)
set -e
cd "$(dirname "$0")/.."
./tools/install-deps.sh --windows-test
./windows.sh
linux="${1:-}"
if [ -z "$linux" ]; then
    cmake --preset debug >/dev/null
    cmake --build --preset debug --target fompy-talden wm-close
    linux=build/debug/fompy-talden
fi
version=$(sed -n 's/^project(fompy-talden VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="build/windows/fompy-talden-$version-win64.zip"
exe=build/windows/fompy-talden.exe

WINEPREFIX="$(pwd)/build/windows-test/wine"
export WINEPREFIX
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "windows-test: making Wine's prefix in $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    log=build/windows-test/wineboot.log
    if ! WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$log" 2>&1; then
        rm -rf "$WINEPREFIX"
        echo "windows-test: FAILED: Wine cannot make its prefix on this machine; see $log" >&2
        exit 1
    fi
fi

failed=0
run() {
    name=$1
    shift
    if sh "tests/windows/$name.sh" "$@"; then
        echo "windows-test: $name: passed"
    else
        echo "windows-test: $name: FAILED"
        failed=1
    fi
}
run package "$zip" "$version"
run headless "$exe" "$linux"
run window "$exe" "$linux"
run comforts "$exe" "$linux"
run history "$exe" "$linux"
run vsync "$exe" "$linux"
wineserver -k 2>/dev/null || true  # this prefix's server, which would linger a few seconds
exit $failed
