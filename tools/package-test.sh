#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package, checked as a distribution would take it. Builds it from
# the release build (build/release, the one ./run.sh plays) and then:
#   - lintian at its default settings: any error or warning fails, and so does
#     any info tag (fix it, or override it in the package with the reason);
#   - lists the contents: the program in /usr/games and nowhere else, the
#     licence, changelog and README in /usr/share/doc/fompy-talden, and every
#     file the README links (its pictures) where the link leads;
#   - the pieces agree: the desktop entry runs the program there, the manual
#     page names the README the package has, the copyright file holds
#     LICENSE's year and text in the machine-readable form, the changelog
#     reads with dpkg-parsechangelog at the package's version and on the date
#     of that release in the AppStream metadata, the program runs and says
#     its version;
#   - the home page: the package's Homepage field is the AppStream
#     metadata's homepage; every screenshot there has a caption and a picture
#     in the home page's screenshots/ folder, one of the README's pictures at
#     its size, and every picture the README shows is a screenshot;
#   - the desktop entry passes desktop-file-validate and the AppStream tree
#     passes appstreamcli, pedantic hints included but for the one accepted.
# The listing, lintian's report and the unpacked package are left in
# BUILD/package-test/.
#
# Usage: tools/package-test.sh [BUILD]
#   BUILD is a configured build directory of this tree (default: build/release,
#   configured by the release preset).
set -eu
cd "$(dirname "$0")/.."

. tests/need.inc
need lintian lintian dpkg-deb dpkg dpkg-parsechangelog dpkg-dev \
    desktop-file-validate desktop-file-utils appstreamcli appstream

if [ $# -gt 0 ]; then
    build=${1%/}
    [ -f "$build/CMakeCache.txt" ] || { echo "package-test: $build is no configured build" >&2; exit 2; }
    cmake --build "$build" --target package
else
    build=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release --target package
fi

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

# --- the installed README links only what is installed: every relative link
# and picture of it (Markdown's [text](target), ![alt](target) and [id]: target,
# HTML's src= and href=) leads to a file of the package, from the README's folder.
docdir=/usr/share/doc/fompy-talden
gzip -dc "$root$docdir/README.md.gz" >"$out/README.md" 2>/dev/null \
    || failed "$docdir/README.md.gz does not unpack"
{
    grep -oE '\]\([^)]*\)' "$out/README.md" | sed -e 's/^](//' -e 's/)$//' \
        -e 's/^<\([^>]*\)>.*/\1/' -e 's/[[:space:]].*//'
    sed -n 's/^ \{0,3\}\[[^]]*\]:[[:space:]]*<\{0,1\}\([^>[:space:]]*\).*/\1/p' "$out/README.md"
    grep -oiE '(src|href)="[^"]*"' "$out/README.md" | sed 's/^[^"]*"//; s/"$//'
} | sed 's/[#?].*//' | grep -v -E '^$|^[A-Za-z][A-Za-z0-9+.-]*:|^/' | sort -u >"$out/readme-links.txt" || true
while read -r link; do
    [ -f "$root$docdir/$link" ] \
        || failed "the installed README links $link, which the package does not have at $docdir/$link"
done <"$out/readme-links.txt"

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

# --- --video's encoder, suggested, never depended on
[ "$(dpkg-deb -f "$deb" Suggests)" = "ffmpeg" ] \
    || failed "the package's Suggests field is '$(dpkg-deb -f "$deb" Suggests)', not ffmpeg"
dpkg-deb -f "$deb" Depends | grep -q ffmpeg && failed "the package depends on ffmpeg"

# --- the home page, in the package and in the AppStream metadata
metainfo=$root/usr/share/metainfo/io.github.fompytalden.FompyTalden.metainfo.xml
homepage=$(dpkg-deb -f "$deb" Homepage)
case "$homepage" in
    https://?*) ;;
    *) failed "the package's Homepage field is '$homepage', not an https address" ;;
esac
# The metadata with each element on a line of its own, text unescaped as far
# as web addresses need.
tr '\n' ' ' <"$metainfo" | sed -e 's/>[[:space:]]*</>\n</g' | sed 's/&amp;/\&/g' >"$out/metainfo.lines"
listed=$(sed -n 's|^<url type="homepage">[[:space:]]*\([^<]*[^<[:space:]]\)[[:space:]]*</url>.*|\1|p' \
    "$out/metainfo.lines")
[ -n "$listed" ] || failed "AppStream: no homepage <url>"
[ "$listed" = "$homepage" ] \
    || failed "AppStream: the homepage is '$listed', the package's Homepage '$homepage'"

# Each <screenshot> as one line: its caption and its pictures, which are in
# the home page's screenshots/ folder.
shots_url=${listed:-$homepage}/screenshots
sed -n '/^<screenshots\( \|>\)/,/^<\/screenshots>/p' "$out/metainfo.lines" \
    | awk '/^<screenshot[ >]/ { shot = $0; next }
           /^<\/screenshot>/ { print shot; shot = ""; next }
           shot != "" { shot = shot " " $0 }' >"$out/screenshots.txt"
[ -s "$out/screenshots.txt" ] || failed "AppStream: no screenshots"
: >"$out/screenshot-names.txt"
shot=0
while read -r entry; do
    shot=$((shot + 1))
    printf '%s\n' "$entry" | grep -qE '<caption( [^>]*)?>[^<]*[^<[:space:]][^<]*</caption>' \
        || failed "AppStream: screenshot $shot has no caption"
    printf '%s\n' "$entry" | grep -oE '<image[^>]*>[^<]*</image>' >"$out/images.txt" || true
    [ -s "$out/images.txt" ] || failed "AppStream: screenshot $shot has no image"
    while read -r image; do
        url=$(printf '%s\n' "$image" | sed 's/<[^>]*>//g; s/^[[:space:]]*//; s/[[:space:]]*$//')
        name=${url#"$shots_url/"}
        if [ "$name" = "$url" ] || [ -z "$name" ] || [ "${name%/*}" != "$name" ]; then
            failed "AppStream: screenshot $shot's picture $url is not in $shots_url/"
            continue
        fi
        echo "$name" >>"$out/screenshot-names.txt"
        # The picture published there is the one beside the installed README.
        picture=$root$docdir/docs/screenshots/$name
        if [ ! -f "$picture" ]; then
            failed "AppStream: screenshot $shot shows $name, which is not $docdir/docs/screenshots/$name"
            continue
        fi
        # PNG: the width and height are the IHDR's first eight bytes, at 16.
        size=$(od -An -tu1 -j16 -N8 "$picture" \
            | awk '{ for (i = 1; i <= NF; i++) b[n++] = $i }
                   END { printf "%d %d", ((b[0]*256+b[1])*256+b[2])*256+b[3],
                                         ((b[4]*256+b[5])*256+b[6])*256+b[7] }')
        said=$(printf '%s\n' "$image" | sed -n 's/.* width="\([0-9]*\)".* height="\([0-9]*\)".*/\1 \2/p')
        [ -z "$said" ] || [ "$said" = "$size" ] \
            || failed "AppStream: screenshot $shot says $name is $said, the picture is $size"
    done <"$out/images.txt"
done <"$out/screenshots.txt"
# The screenshots are the README's pictures: each shown by both.
grep '^docs/screenshots/[^/]*\.png$' "$out/readme-links.txt" | sed 's|.*/||' \
    >"$out/readme-pictures.txt" || true
while read -r name; do
    grep -qx "$name" "$out/screenshot-names.txt" \
        || failed "AppStream: the README shows $name, which no screenshot does"
done <"$out/readme-pictures.txt"
while read -r name; do
    grep -qx "$name" "$out/readme-pictures.txt" \
        || failed "AppStream: screenshot $name is not among the README's pictures (docs/screenshots/)"
done <"$out/screenshot-names.txt"

# --- the AppStream metadata, with the desktop entry it launches. --strict
# fails infos too; of the pedantic hints only one is accepted: the component
# ID has capitals, and stays as it is published (changing it would make the
# game another application for software centres and upgrades).
accepted_hints='cid-contains-uppercase-letter'
if ! appstreamcli validate-tree --pedantic --strict --no-net "$root" >"$out/appstream.txt" 2>&1; then
    cat "$out/appstream.txt" >&2
    failed "appstreamcli validate-tree"
fi
sed -n 's/^[[:space:]]*[EWIP]: [^ ]*: \([A-Za-z0-9-]*\).*/\1/p' "$out/appstream.txt" \
    | grep -vx "$accepted_hints" >"$out/appstream-hints.txt" || true
if [ -s "$out/appstream-hints.txt" ]; then
    cat "$out/appstream.txt" >&2
    failed "appstreamcli: hints other than $accepted_hints: $(tr '\n' ' ' <"$out/appstream-hints.txt")"
fi

if [ "$fail" -ne 0 ]; then
    echo "package-test: $deb has faults; see above and $out" >&2
    exit 1
fi
echo "package-test: $deb: lintian-clean, complete"
