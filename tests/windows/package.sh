#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows zip: exactly the program, README.txt and LICENSE.txt, the texts
# with Windows' line ends; the program a 64-bit windowed one that imports
# only Windows' own DLLs and carries its icon, version information and
# manifest. The program's --help, which README.txt holds, and README.txt
# name what Windows does, never a Linux path or variable.
#
#   package.sh ZIP VERSION
set -u
ZIP="$1"
VERSION="$2"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/wine.inc"

[ "$(unzip -Z1 "$ZIP" | sort | tr '\n' ' ')" = "LICENSE.txt README.txt fompy-talden.exe " ] ||
    fail "the zip holds: $(unzip -Z1 "$ZIP" | tr '\n' ' ')"
unzip -q "$ZIP" -d "$TMP/zip" || fail "cannot unpack $ZIP"
for text in README.txt LICENSE.txt; do
    [ "$(grep -c "$(printf '\r')$" "$TMP/zip/$text")" -eq "$(wc -l <"$TMP/zip/$text")" ] ||
        fail "$text has lines without Windows' line end"
done
grep -q -- "--window" "$TMP/zip/README.txt" || fail "README.txt lacks the options"
wine "$TMP/zip/fompy-talden.exe" --help >"$TMP/help.out" 2>"$TMP/help.err" ||
    fail "--help failed: $(cat "$TMP/help.err")"
tr -d '\r' <"$TMP/help.out" >"$TMP/help.txt"
tr -d '\r' <"$TMP/zip/README.txt" >"$TMP/readme.txt"
grep -q -- "--no-settings" "$TMP/help.txt" || fail "--help printed no options: $(cat "$TMP/help.txt")"
python3 -c 'import sys; sys.exit(open(sys.argv[1]).read() not in open(sys.argv[2]).read())' \
    "$TMP/help.txt" "$TMP/readme.txt" || fail "README.txt does not hold the program's --help"
python3 "$HERE/../../tools/windows-texts.py" --check "$TMP/help.txt" "$TMP/readme.txt" ||
    fail "the Windows texts name Linux paths or variables (above)"

EXE="$TMP/zip/fompy-talden.exe"
x86_64-w64-mingw32-objdump -p "$EXE" >"$TMP/headers" || fail "objdump cannot read the program"
grep -q "^Magic.*PE32+" "$TMP/headers" || fail "not a 64-bit program"
grep -q "^Subsystem.*(Windows GUI)" "$TMP/headers" || fail "not a windowed program"
# Windows' own DLLs, and the C runtime that MinGW programs use, which comes with it.
sed -n 's/^\tDLL Name: //p' "$TMP/headers" | tr 'A-Z' 'a-z' | sort >"$TMP/dlls"
[ -s "$TMP/dlls" ] || fail "no imported DLL found"
others=$(grep -v -x -e kernel32.dll -e user32.dll -e gdi32.dll -e winmm.dll -e msvcrt.dll \
    -e shell32.dll -e ole32.dll "$TMP/dlls")
[ -z "$others" ] || fail "the program imports DLLs that Windows does not have: $others"
# The resource types at the top of the resource directory: 14 a group of
# icons, 16 the version information, 24 the manifest.
for type in 00000e 000010 000018; do
    grep -q "^0[0-9a-f]*   Entry: ID: 0x$type," "$TMP/headers" ||
        fail "the program lacks its resource of type 0x$type"
done
strings -el "$EXE" | grep -q -x "$VERSION" || fail "no version $VERSION in the version information"
exit 0
