#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --render spreadsheet and --print practice against their floor, in paired
# runs: the data files read once (read_stores) plus the toolkit's start
# (read_stores --toolkit): the target is 1.5 times the read plus the start.
#
#   [KAVORA_RENDER_SIZE=WxH] bench/headless_pair.sh [BUILD_DIR] [RUNS] [PAST_RECORDS...]
#
# For each number of past records (kavora_gen, a coach.dat with a name), runs
# the four commands RUNS times each, alternating, after one warm-up run of
# each, and prints the medians in milliseconds and the ratio of each mode to
# the floor. Needs a build with -DKAVORA_BENCH=ON.
set -euo pipefail

build=${1:-build}
runs=${2:-9}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000)

bin=$(cd "$build/bin" && pwd)
# The picture's size: the main window's own by default (a larger one adds
# the drawing and the PNG's compression, which no floor holds).
size_drawn=${KAVORA_RENDER_SIZE:-600x550}
work=$(mktemp -d "${TMPDIR:-/tmp}/kavora-headless-XXXXXX")
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY

# Milliseconds a command takes, its output dropped.
ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for size in "${sizes[@]}"; do
    data="$work/data-$size"
    "$bin/kavora_gen" --history "$size" "$data" >/dev/null
    printf 'KVR Coach Data Format 1.0\r\nBench Player\r\n' >"$data/coach.dat"
    cd "$data"
    : >"$work/read" && : >"$work/toolkit" && : >"$work/render" && : >"$work/print"
    for run in $(seq 0 "$runs"); do
        r=$(ms "$bin/read_stores")
        t=$(ms "$bin/read_stores" --toolkit)
        s=$(ms "$bin/kavora" --render spreadsheet --size "$size_drawn" --out "$work/sheet.png")
        p=$(ms "$bin/kavora" --print practice --out "$work/practice.pdf")
        [ "$run" = 0 ] && continue # the warm-up
        echo "$r" >>"$work/read"
        echo "$t" >>"$work/toolkit"
        echo "$s" >>"$work/render"
        echo "$p" >>"$work/print"
    done
    read=$(median <"$work/read")
    toolkit=$(median <"$work/toolkit")
    render=$(median <"$work/render")
    print=$(median <"$work/print")
    echo "past records: $size (medians of $runs paired runs, ms)"
    echo "  data files read once: $read  toolkit start: $toolkit"
    # The target: 1.5 times the read plus the toolkit's start.
    awk -v r="$read" -v t="$toolkit" -v s="$render" -v p="$print" -v size="$size_drawn" 'BEGIN {
        target = 1.5 * r + t
        printf "  target (1.5 x read + toolkit): %.0f\n", target
        printf "  --render spreadsheet (%s): %s (%.2f x target)\n", size, s, s / target
        printf "  --print practice:     %s (%.2f x target)\n", p, p / target }'
    cd - >/dev/null
done
