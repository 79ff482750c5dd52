#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the README's screenshots anew: every view that `kavora --render`
# knows, from the generated data set, at the program's first window size
# (600x550) and at a large one (1280x960), into docs/screenshots/.
#
# usage: scripts/screenshots.sh [BUILD_DIR]   (BUILD_DIR: build by default,
# with its kavora and kavora_gen built)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
kavora="$build/bin/kavora"
generator="$build/bin/kavora_gen"
shots="$root/docs/screenshots"
for program in "$kavora" "$generator"; do
    [ -x "$program" ] || { echo "missing $program: build it first" >&2; exit 1; }
done

data=$(mktemp -d "${TMPDIR:-/tmp}/kavora-screenshots-XXXXXX")
trap 'rm -rf "$data"' EXIT
"$generator" "$data" >/dev/null
printf 'KVR Coach Data Format 1.0\r\nPat Smith\r\n' >"$data/coach.dat"
# The starter tips, as a first run gets them.
cp "$build"/starter/*.tip "$data"/

views=$("$kavora" --list-views)
mkdir -p "$shots"
cd "$data"
for view in $views; do
    for size in 600x550 1280x960; do
        "$kavora" --render "$view" --size "$size" --out "$shots/$view-$size.png" 2>/dev/null
        echo "$shots/$view-$size.png"
    done
done

# The first page of the practice notes and the courtside form, as the
# Printouts menu writes them without a printer (A4 in the C locale).
for printout in practice form; do
    LC_ALL=C.UTF-8 "$kavora" --print "$printout" --out "$data/$printout.pdf" 2>/dev/null
    pdftoppm -r 72 -png -f 1 -l 1 -singlefile "$data/$printout.pdf" "$shots/printout-$printout"
    echo "$shots/printout-$printout.png"
done
