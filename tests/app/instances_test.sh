#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two copies of the program on one data folder, as real processes:
#   - a second start while the first runs says so, calls the first window
#     forward and ends without touching a file;
#   - two starts at the same moment: exactly one of them runs;
#   - the lock of a killed program is taken over by the next start.
#
# usage: instances_test.sh KAVORA_PROBE
set -u
probe=$(realpath "$1")
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d "${TMPDIR:-/tmp}/kavora-instances-XXXXXX") || exit 2
pids=()
trap 'for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

new_folder() {
    local folder=$work/$1
    mkdir -p "$folder"
    printf 'KVR Coach Data Format 1.0\r\nPat Smith\r\n' >"$folder/coach.dat"
    printf 'ZBD Data File Format 2.0\r\n0\r\n' >"$folder/play.dat"
    echo "$folder"
}

# Waits up to 20 s for a line in a file.
wait_for() {
    local pattern=$1 file=$2
    for _ in $(seq 200); do
        grep -q "$pattern" "$file" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Every file of a folder with its contents and times.
snapshot() {
    (cd "$1" && find . -printf '%p %s %T@ %m\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# A second start while the first runs.
folder=$(new_folder second)
(cd "$folder" && exec "$probe" --timing --messages --stay 60 >"$work/first.out" 2>/dev/null) &
first=$!
pids+=("$first")
wait_for first_paint_ns "$work/first.out" || fail "the first start did not paint"
# The day's backup is made after the first paint.
for _ in $(seq 100); do [ -d "$folder/backups" ] && break; sleep 0.1; done
sleep 0.5
[ "$(cat "$folder/kavora.lock")" = "$first" ] || fail "the lock file does not hold the first start's id"
before=$(snapshot "$folder")
(cd "$folder" && timeout 20 "$probe" --messages >"$work/second.out" 2>/dev/null)
status=$?
[ $status -eq 3 ] || fail "the second start ended with $status, not 3"
grep -q "^message: Kavora is already running in this folder:" "$work/second.out" ||
    fail "the second start did not say so: $(cat "$work/second.out")"
grep -q first_paint "$work/second.out" && fail "the second start showed a window"
[ "$(snapshot "$folder")" = "$before" ] || fail "the second start touched the folder"
wait_for '^called' "$work/first.out" || fail "the first window was not called forward"

# The first start is killed: its lock is stale and the next start takes it.
kill -9 "$first"
wait "$first" 2>/dev/null
(cd "$folder" && timeout 20 "$probe" --timing --messages >"$work/third.out" 2>/dev/null)
status=$?
[ $status -eq 0 ] || fail "the start after a killed one ended with $status"
grep -q first_paint_ns "$work/third.out" || fail "the start after a killed one did not paint"
grep -q "^message:" "$work/third.out" && fail "the start after a killed one said: $(cat "$work/third.out")"

# Two starts at the same moment.
folder=$(new_folder together)
for n in 1 2; do
    (cd "$folder" && exec timeout 30 "$probe" --timing --messages --stay 4 >"$work/together$n.out" 2>/dev/null) &
    pids+=($!)
done
wait "${pids[@]:1}" 2>/dev/null
painted=$(grep -l first_paint_ns "$work"/together?.out | wc -l)
refused=$(grep -l "^message: Kavora is already running" "$work"/together?.out | wc -l)
[ "$painted" -eq 1 ] && [ "$refused" -eq 1 ] ||
    fail "two starts at once: $painted painted and $refused refused"

[ $failures -eq 0 ] && echo "all instance cases passed"
exit $((failures > 0))
