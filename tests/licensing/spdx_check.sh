#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file lacks its licence line: "SPDX-License-Identifier:"
# on the first line, or on the second after a "#!" or "<?xml" line. Source
# files are the C++, CMake, shell, Python, style sheet and Qt resource files
# and every script that starts with "#!". At the top of a git checkout the
# tracked files are checked, elsewhere every file under the folder.
#
# spdx_check.sh <folder>
set -euo pipefail
cd "$1"

list_files() {
    if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
        git ls-files
    else
        find . -path './build*' -prune -o -type f -print | sed 's|^\./||'
    fi | LC_ALL=C sort
}

is_source() {
    case $1 in
    # The planted files of this check's own test.
    *licensing/planted/*) return 1 ;;
    *.h | *.hpp | *.c | *.cc | *.cpp | *.in | *.cmake | */CMakeLists.txt | CMakeLists.txt) return 0 ;;
    *.sh | *.py | *.qss | *.qrc) return 0 ;;
    esac
    [ "$(head -c 2 "$1" 2>/dev/null | tr -d '\0')" = '#!' ]
}

missing=0
while IFS= read -r file; do
    [ -f "$file" ] && is_source "$file" || continue
    first=$(head -n 1 "$file")
    case $first in
    '#!'* | '<?xml'*) line=$(sed -n 2p "$file") ;;
    *) line=$first ;;
    esac
    case $line in
    *SPDX-License-Identifier:*) ;;
    *)
        echo "no SPDX-License-Identifier line: $file"
        missing=$((missing + 1))
        ;;
    esac
done < <(list_files)

if [ "$missing" -ne 0 ]; then
    echo "$missing source file(s) without a licence line; add one, e.g." \
        "'// SPDX-License-Identifier: GPL-3.0-or-later'"
    exit 1
fi
echo "every source file names its licence"
