#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package, checked as a distribution would take it. Builds it from
# the release build (build/release, the one ./run.sh plays) and then:
#   - lintian at its default settings: any error or warning fails, and so does
#     any info tag (fix it, or override it in the package with the reason);
#   - lists the contents: the program in /usr/games and nowhere else, the
#     licence, changelog and README in /usr/share/doc/fompy-talden;
#   - the pieces agree: the desktop entry runs the program there, the manual
#     page names the README the package has, the copyright file holds
#     LICENSE's year and text in the machine-readable form, the changelog
#     reads with dpkg-parsechangelog at the package's version and on the date
#     of that release in the AppStream metadata, the program runs and says
#     its version;
#   - the desktop entry passes desktop-file-validate and the AppStream tree
#     passes appstreamcli, infos included.
# The listing, lintian's report and the unpacked package are left in
# build/release/package-test/. Usage: tools/package-test.sh
set -eu
cd "$(dirname "$0")/.."

. tests/need.inc
need lintian lintian dpkg-deb dpkg dpkg-parsechangelog dpkg-dev \
    desktop-file-validate desktop-file-utils appstreamcli appstream

cmake --preset release >/dev/null
cmake --build --preset release --target package

build=build/release
out=$build/package-test
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/fompy-talden_${version}_$(dpkg --print-architecture).deb
if [ -z "$version" ] || [ ! -f "$deb" ]; then
    echo "package-test: the build made no package $deb" >&2
    exit 1
fi
rm -rf "$out"
mkdir -p "$out"
root=$out/root
dpkg-deb -x "$deb" "$root"

fail=0
failed() {  # failed MESSAGE...
    echo "package-test: FAIL: $*" >&2
    fail=1
}

# --- lintian
status=0
lintian --display-info --fail-on error,warning "$deb" >"$out/lintian.txt" 2>"$out/lintian.err" \
    || status=$?
grep -v 'running with root privileges' "$out/lintian.err" >&2 || true
cat "$out/lintian.txt"
[ "$status" -eq 0 ] || failed "lintian: errors or warnings (status $status)"
if grep -q '^I: ' "$out/lintian.txt"; then
    failed "lintian: info tags above; remove their cause, or override them with the reason"
fi

# --- contents
dpkg-deb -c "$deb" | tee "$out/contents.txt"
has() {  # has PATH: the package holds PATH, a regular file
    grep -q "^-.* \./${1#/}\$" "$out/contents.txt" || failed "no $1 in the package"
}
has /usr/games/fompy-talden
has /usr/share/doc/fompy-talden/copyright
has /usr/share/doc/fompy-talden/changelog.gz
has /usr/share/doc/fompy-talden/README.md.gz
has /usr/share/man/man6/fompy-talden.6.gz
has /usr/share/applications/fompy-talden.desktop
grep -q '^-rwxr-xr-x .* \./usr/games/fompy-talden$' "$out/contents.txt" \
    || failed "/usr/games/fompy-talden is not an executable for everyone"
if grep -E ' \./(usr/bin|usr/local|bin)/' "$out/contents.txt"; then
    failed "the package has the files above outside the games folder"
fi

# --- the program runs where the package put it
said=$("$root/usr/games/fompy-talden" --version) || failed "the packaged program does not run"
said=$(printf '%s\n' "$said" | head -n 1)
[ "$said" = "fompy-talden $version" ] \
    || failed "the packaged program says '$said', the package is $version"

# --- the desktop entry runs the program in /usr/games
desktop=$root/usr/share/applications/fompy-talden.desktop
desktop-file-validate "$desktop" >"$out/desktop.txt" 2>&1 || true
if [ -s "$out/desktop.txt" ]; then
    cat "$out/desktop.txt" >&2
    failed "desktop-file-validate"
fi
sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop" | sort -u >"$out/exec.txt"
[ -s "$out/exec.txt" ] || failed "the desktop entry runs nothing"
while read -r program; do
    case "$program" in
        /usr/games/*) path=$program ;;
        /*) path=/nonexistent ;;
        *) path=/usr/games/$program ;;
    esac
    [ -x "$root$path" ] || failed "the desktop entry runs '$program', not in /usr/games"
done <"$out/exec.txt"

# --- the README the manual page sends readers to
readme=$(gzip -dc "$root/usr/share/man/man6/fompy-talden.6.gz" \
    | sed -n '/^\.SH SEE ALSO/,/^\.SH/s/^\.I \(\/[^ ]*\).*/\1/p' | sed 's/\\-/-/g' | head -n 1)
if [ -z "$readme" ]; then
    failed "the manual page's SEE ALSO names no installed file"
elif [ ! -f "$root$readme" ]; then
    failed "the manual page names $readme, which the package does not have"
fi

# --- the copyright file: LICENSE in the machine-readable form
copyright=$root/usr/share/doc/fompy-talden/copyright
head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || failed "copyright: not in the machine-readable form (no Format line first)"
holder=$(sed -n 's/^Copyright (c) //p' LICENSE)
grep -qx "Copyright: $holder" "$copyright" \
    || failed "copyright: no 'Copyright: $holder' line, as in LICENSE"
# The licence paragraph's continuation lines, undone, give LICENSE's text.
awk '/^License: / { on = 1; next } on && !/^ / { exit } on { sub(/^ /, ""); sub(/^\.$/, ""); print }' \
    "$copyright" >"$out/licence.txt"
sed -n '/^Copyright (c) /,$p' LICENSE | sed -e 1,2d >"$out/licence-expected.txt"
cmp -s "$out/licence.txt" "$out/licence-expected.txt" \
    || failed "copyright: the licence text differs from LICENSE's"
grep -q '^MIT License' LICENSE && grep -q '<project_license>MIT</project_license>' \
        "$root"/usr/share/metainfo/*.metainfo.xml \
    || failed "LICENSE and the AppStream project_license disagree"

# --- the changelog: this version, on the date of this release
gzip -dc "$root/usr/share/doc/fompy-talden/changelog.gz" >"$out/changelog"
if ! dpkg-parsechangelog -l "$out/changelog" >"$out/changelog.parsed" 2>"$out/changelog.err" \
        || [ -s "$out/changelog.err" ]; then
    cat "$out/changelog.err" >&2
    failed "changelog: dpkg-parsechangelog does not read it cleanly"
fi
field() { sed -n "s/^$1: //p" "$out/changelog.parsed"; }
[ "$(field Source)" = "$(dpkg-deb -f "$deb" Package)" ] \
    || failed "changelog: source '$(field Source)', not the package's name"
[ "$(field Version)" = "$(dpkg-deb -f "$deb" Version)" ] \
    || failed "changelog: version '$(field Version)', the package is $(dpkg-deb -f "$deb" Version)"
released=$(sed -n 's/.*<release version="'"$version"'" date="\([0-9-]*\)".*/\1/p' \
    "$root"/usr/share/metainfo/*.metainfo.xml)
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$root"/usr/share/metainfo/*.metainfo.xml \
    | head -n 1)
[ "$newest" = "$version" ] || failed "AppStream: the newest release is '$newest', not $version"
changed=$(date -u -d "$(field Date)" +%Y-%m-%d 2>/dev/null || echo "unreadable")
[ -n "$released" ] && [ "$changed" = "$released" ] \
    || failed "changelog: dated $changed, the AppStream release $version on '$released'"

# --- the AppStream metadata, with the desktop entry it launches
if ! appstreamcli validate-tree --pedantic --strict --no-net "$root" >"$out/appstream.txt" 2>&1; then
    cat "$out/appstream.txt" >&2
    failed "appstreamcli validate-tree"
fi

if [ "$fail" -ne 0 ]; then
    echo "package-test: $deb has faults; see above and $out" >&2
    exit 1
fi
echo "package-test: $deb: lintian-clean, complete"
