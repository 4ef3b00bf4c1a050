#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the checked debug build (AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs every test.
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh
./tools/check-sources.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug
./tools/package-test.sh
./tools/fuzz-short.sh
./tools/web-test.sh build/debug/fompy-talden
./tools/windows-test.sh build/debug/fompy-talden
