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

# A lock file that cannot be used, for an unprivileged user: another user's
# private kavora.lock, as a start under sudo leaves it. The folder itself is
# locked instead: of two starts one runs and the other is refused. In a
# folder the user may not even read, no lock at all can be had: the start
# says so and asks, and answered No it ends before it shows a window.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    as_user=(env HOME="$work/home" setpriv --reuid=nobody --regid=nogroup --clear-groups)
    chmod 755 "$work"
    mkdir -p "$work/home" && chmod 777 "$work/home"
    foreign_lock() {
        local folder
        folder=$(new_folder "$1")
        chmod 666 "$folder"/*
        printf '1\n' >"$folder/kavora.lock"
        chmod 600 "$folder/kavora.lock"
        chmod "$2" "$folder"
        echo "$folder"
    }
    folder=$(foreign_lock foreign-lock 777)
    (cd "$folder" && exec "${as_user[@]}" "$probe" --timing --messages --stay 60 >"$work/foreign1.out" 2>/dev/null) &
    first=$!
    pids+=("$first")
    wait_for first_paint_ns "$work/foreign1.out" || fail "the start beside another user's lock file did not paint"
    grep -q "^message:" "$work/foreign1.out" && fail "the start beside another user's lock file said: $(cat "$work/foreign1.out")"
    (cd "$folder" && timeout 20 "${as_user[@]}" "$probe" --messages >"$work/foreign2.out" 2>/dev/null)
    status=$?
    [ $status -eq 3 ] || fail "a second start beside another user's lock file ended with $status, not 3"
    kill -9 "$first"
    wait "$first" 2>/dev/null
    [ "$(cat "$folder/kavora.lock")" = 1 ] || fail "another user's lock file was changed"

    folder=$(foreign_lock no-lock 333)
    (cd "$folder" && timeout 20 "${as_user[@]}" "$probe" --timing --messages >"$work/nolock.out" 2>/dev/null)
    status=$?
    [ $status -eq 0 ] || fail "the start without a lock ended with $status"
    grep -q "^message: No lock can be taken on the data folder:" "$work/nolock.out" ||
        fail "the start without a lock did not ask: $(cat "$work/nolock.out")"
    grep -q first_paint "$work/nolock.out" && fail "the start without a lock showed a window after No"
    chmod 755 "$folder"
else
    echo "skipped the lock file of another user: no root, setpriv or user nobody"
fi

[ $failures -eq 0 ] && echo "all instance cases passed"
exit $((failures > 0))
