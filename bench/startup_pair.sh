#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time of Kavora against its floor, in paired runs on the offscreen
# platform. The yardstick is the empty window (empty_window): a main window of
# the program's size with the program's menu bar and one line of bold text,
# what Kavora's first paint shows.
#
#   bench/startup_pair.sh [BUILD_DIR] [RUNS] [PAST_RECORDS...]
#
# For an empty data folder and for a data set with each number of past
# records (kavora_gen), runs the empty window and the program (kavora_probe
# --timing) RUNS times each, alternating, after one warm-up run of each. Each
# run's time is from just before its start to its first paint; for Kavora
# also to the end of the work it defers past the first paint (statistics,
# opponent figures, the day's backup): the whole start. Prints the medians,
# the ratios of Kavora's first paint and whole start to the yardstick (and,
# for reference, the median of the bare main window without menu bar or
# text), the median time the program spent loading its data, and for both
# programs the medians of their phases from just before the start: main()
# reached, the application object made (for Kavora, its data loaded), the
# main window built. Needs a build with -DKAVORA_BENCH=ON.
set -euo pipefail

build=${1:-build}
runs=${2:-15}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000)

bin=$(cd "$build/bin" && pwd)
for program in kavora_probe empty_window kavora_gen; do
    [ -x "$bin/$program" ] || { echo "missing $bin/$program (build with -DKAVORA_BENCH=ON)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kavora-startup-XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# The summary of the past records goes to a cache folder of this run: the
# warm-up run keeps it, and the paired runs start from it, as every start but
# the first after a change of history.dat does.
export XDG_CACHE_HOME=$work/cache

# Milliseconds from now to the first paint that the command (after the tag
# TAG) prints; the program's phases go to times.TAG.PHASE.
time_to_paint() {
    local tag=$1
    shift
    local start=${EPOCHREALTIME/[.,]/} output paint phase at
    output=$("$@" 2>/dev/null)
    paint=$(sed -n 's/^first_paint_ns //p' <<<"$output")
    echo $(((paint / 1000 - start) / 10))e-2
    sed -n 's/^load_ms //p' <<<"$output" >>"$work/times.load"
    for phase in main app window deferred; do
        at=$(sed -n "s/^${phase}_ns //p" <<<"$output")
        [ -n "$at" ] && echo $(((at / 1000 - start) / 10))e-2 >>"$work/times.$tag.$phase"
    done
    return 0
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f", m }'
}

measure() {
    local label=$1 folder=$2
    : >"$work/times.empty" && : >"$work/times.bare" && : >"$work/times.kavora"
    (
        cd "$folder"
        time_to_paint empty "$bin/empty_window" >/dev/null
        time_to_paint kavora "$bin/kavora_probe" --timing >/dev/null
        : >"$work/times.load"
        for tag in empty bare kavora; do
            for phase in main app window deferred; do : >"$work/times.$tag.$phase"; done
        done
        for ((i = 0; i < runs; i++)); do
            time_to_paint empty "$bin/empty_window" >>"$work/times.empty"
            time_to_paint bare "$bin/empty_window" --bare >>"$work/times.bare"
            time_to_paint kavora "$bin/kavora_probe" --timing >>"$work/times.kavora"
        done
    )
    local empty kavora whole load
    empty=$(median <"$work/times.empty")
    kavora=$(median <"$work/times.kavora")
    whole=$(median <"$work/times.kavora.deferred")
    load=$(median <"$work/times.load")
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
    printf '%-22s empty window %7s ms   kavora %7s ms   ratio %5s   data loading %7s ms\n' \
        "$label" "$empty" "$kavora" "$(ratio "$kavora" "$empty")" "$load"
    printf '%-22s whole start (deferred work done) %7s ms   ratio %5s\n' \
        "" "$whole" "$(ratio "$whole" "$empty")"
    printf '%-22s bare main window (no menu bar, no text) %s ms\n' "" "$(median <"$work/times.bare")"
    for tag in empty kavora; do
        printf '%-22s %-12s reached main() %5s ms, application made %5s ms, window built %5s ms\n' \
            "" "$tag" "$(median <"$work/times.$tag.main")" "$(median <"$work/times.$tag.app")" \
            "$(median <"$work/times.$tag.window")"
    done
}

new_folder() {
    local folder=$work/$1
    mkdir -p "$folder"
    printf 'KVR Coach Data Format 1.0\r\nPat Smith\r\n' >"$folder/coach.dat"
    echo "$folder"
}

echo "medians of $runs paired runs, time to first paint"
measure "empty folder" "$(new_folder empty)"
for size in "${sizes[@]}"; do
    folder=$(new_folder "past$size")
    "$bin/kavora_gen" --history "$size" "$folder" >/dev/null
    measure "$size past records" "$folder"
done
