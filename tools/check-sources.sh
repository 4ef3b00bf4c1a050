#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks every source file the project writes: each names its licence in a
# one-line SPDX header, and the C and C++ files are formatted as .clang-format
# says (clang-format 14, Debian's). Prints what is wrong and exits 1.
#
#   tools/check-sources.sh          check
#   tools/check-sources.sh --fix    format the C and C++ files in place
set -u
cd "$(dirname "$0")/.."
. tests/need.inc
# Without git the list of files below is empty, and nothing would be checked.
need git git clang-format clang-format

# The project's own files: what git tracks, less what others wrote (the zlib
# header of the web build) and data.
sources=$(git ls-files -- '*.cpp' '*.h' '*.c' '*.sh' '*.inc' '*.py' '*.cmake' \
    '*CMakeLists.txt' '*.js' '*.mjs' '*.js.in' '*.rc.in' '*.html' 'Makefile' '.ci/run' |
    grep -v '^src/platform/web/zlib/')
cxx=$(printf '%s\n' $sources | grep -E '\.(cpp|h|c)$')

if [ "${1:-}" = "--fix" ]; then
    # shellcheck disable=SC2086
    clang-format -i $cxx
    exit 0
fi

status=0
for file in $sources; do
    # The header stands in the first three lines (after a #! line, a
    # <!doctype> or an Emacs mode line).
    if ! head -n 3 "$file" | grep -q 'SPDX-License-Identifier: MIT'; then
        echo "check-sources: $file: no SPDX-License-Identifier: MIT line at its top"
        status=1
    fi
done
# shellcheck disable=SC2086
if ! clang-format --dry-run -Werror $cxx 2>"${TMPDIR:-/tmp}/check-sources.$$"; then
    grep 'error:' "${TMPDIR:-/tmp}/check-sources.$$" | sed 's/^/check-sources: /' | head -n 40
    echo "check-sources: not formatted as .clang-format says; tools/check-sources.sh --fix formats them"
    status=1
fi
rm -f "${TMPDIR:-/tmp}/check-sources.$$"
[ $status -eq 0 ] && echo "check-sources: $(printf '%s\n' $sources | wc -l) files, all with their licence line and formatted"
exit $status
