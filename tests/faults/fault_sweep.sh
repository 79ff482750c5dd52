#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fault sweep over a save of play.dat, over a goal-period change, over outings
# imported or merged into play.dat and history.dat, and over the start-up
# recovery of an interrupted change (and a save in a run whose recovery
# failed).
#
# For each scenario the driver first runs once under strace to list the system
# calls the operation makes (those after the driver's start probe; the dynamic
# loader's calls before it are counted and skipped). Then, for every system
# call name and every occurrence N of it, the operation runs again from a
# fresh copy of the prepared folder:
#   - kill sweep:  strace -e inject=NAME:signal=SIGKILL:when=N
#   - error sweep: strace -e inject=NAME:error=ERRNO:when=N, for the errnos
#                  that call can really return (ENOSPC, EIO, EACCES, ...)
# and after every run the driver's check does what the next start does and
# verifies that every record is there exactly once and intact, and that a run
# that reported success left the completed state. Permission cases run the
# driver as an unprivileged user in a read-only folder, with an unreadable
# history.dat or with a read-only data file, and a full-disk sweep runs it on
# a small, nearly full tmpfs. The save and the change also run over data
# files that are private links into another folder, which must stay so.
#
# With "load", the sweep instead fails each system call of the load that
# comes before a save or a goal-period change (the session goes on after a
# failed load, as the program's does) and checks that every record is still
# in its file or in a backup or a copy kept aside; and each system call of
# start-up's conversion of files in the earliest layouts (play, history,
# phone book, schedule), after which the next start must find every record
# in its store.
#
# A case that cannot run here (no unprivileged user, no tmpfs) is skipped and
# said so; the sweep then exits 77, which CTest reports as skipped.
#
# usage: fault_sweep.sh FAULT_DRIVER [STRACE [PART]]
# PART: calls (kill and error sweeps), permissions, full-disk or load; all
# but load when not given.
set -u

if [ "${1:-}" = --full-disk ]; then
    # The full-disk sweep's own run inside a private mount namespace.
    driver=$2 work=$3
else
    driver=$1
    strace=${2:-strace}
    part=${3:-all}
    work=$(mktemp -d "${TMPDIR:-/tmp}/kavora-faults-XXXXXX") || exit 2
    trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fi

# File-system calls the error sweep fails, with the errnos each one gets.
declare -A errnos=(
    [openat]="EACCES ENOSPC EIO" [open]="EACCES ENOSPC EIO" [creat]="EACCES ENOSPC"
    [read]="EIO" [pread64]="EIO" [write]="ENOSPC EIO" [pwrite64]="ENOSPC EIO"
    [writev]="ENOSPC EIO" [fsync]="EIO" [fdatasync]="EIO" [close]="EIO"
    [rename]="EACCES EIO" [renameat]="EACCES EIO" [renameat2]="EACCES EIO"
    [unlink]="EACCES EIO" [unlinkat]="EACCES EIO"
    [newfstatat]="EACCES EIO" [fstat]="EIO" [stat]="EACCES EIO" [lstat]="EACCES EIO"
    [statx]="EACCES EIO" [access]="EACCES EIO" [faccessat]="EACCES EIO"
    [faccessat2]="EACCES EIO" [lseek]="EIO" [getdents64]="EIO" [mkdir]="EACCES ENOSPC"
    [ftruncate]="EIO" [fallocate]="ENOSPC" [link]="EACCES" [linkat]="EACCES"
)
# Calls whose failure loses the new data: a run that reports success after
# one of them failed reports a failure as success.
durable_calls=" write pwrite64 writev fsync fdatasync rename renameat renameat2 "

total_runs=0 total_kills=0 total_errors=0 total_full=0 total_failed=0 total_problems=0
total_skipped=0

# Records one case that cannot run here.
skip() {
    echo "== $1 skipped: $2"
    total_skipped=$((total_skipped + 1))
}

# Records one problem and shows the driver's check output.
report() {
    echo "PROBLEM [$1] $2"
    [ -s "$work/check.err" ] && sed 's/^/    /' "$work/check.err" | head -20
    total_problems=$((total_problems + 1))
}

# run_case SCENARIO OPERATION LABEL STRACE_ARGS...: runs the operation in a
# fresh copy of the prepared folder and checks the result. Sets run_rc.
run_case() {
    local scenario=$1 operation=$2 label=$3
    shift 3
    local dir="$work/run"
    rm -rf "$dir"
    cp -a "$work/$scenario.setup" "$dir"
    # Grouped, so that the shell does not announce the killed runs.
    { "$strace" -f -o "$work/run.trace" "$@" "$driver" "$operation" "$dir"; } >/dev/null 2>&1
    run_rc=$?
    local status=killed
    [ $run_rc -eq 0 ] && status=ok
    [ $run_rc -eq 1 ] && status=failed
    local check=(check "$scenario" "$dir" "$status")
    [ "$operation" = load-save ] && check=(check-kept save "$dir")
    [ "$operation" = load-rollover ] && check=(check-kept rollover "$dir")
    [ "$operation" = load-convert ] && check=(check-kept convert "$dir")
    if ! "$driver" "${check[@]}" >"$work/check.out" 2>"$work/check.err"; then
        report "$label" "run exited $run_rc ($status); check failed"
    fi
    total_runs=$((total_runs + 1))
}

# Prepares the folder every run of a scenario starts from, once.
prepare() {
    local scenario=$1
    [ -e "$work/$scenario.setup/play.dat" ] && return
    mkdir -p "$work/$scenario.setup"
    "$driver" setup "$scenario" "$work/$scenario.setup" || {
        echo "setup of $scenario failed"
        exit 2
    }
}

sweep() {
    local scenario=$1 operation=$2
    local kills=0 errors=0 failed=0 completed=0 crashed=0 problems_before=$total_problems
    prepare "$scenario"

    # The undisturbed run: it must succeed and leave the completed state
    # (for a recovery that undoes a change, the state before the change).
    local expected=new
    [ "$scenario" = recover-undo ] && expected=old
    run_case "$scenario" "$operation" "$scenario baseline"
    if [ $run_rc -ne 0 ] || [ "$(cat "$work/check.out")" != $expected ]; then
        report "$scenario baseline" "the undisturbed run exited $run_rc"
    fi
    cp "$work/run.trace" "$work/$scenario.trace"

    # Per system call name: calls before the start probe, calls after it.
    local counts
    counts=$(awk '
        / \+\+\+ | --- / { next }
        /kavora-fault-sweep-start/ { started = 1; next }
        {
            name = $2; sub(/\(.*/, "", name)
            if (name !~ /^[a-z_0-9]+$/) next
            if (started) after[name]++; else before[name]++
            if (started && !(name in seen)) { seen[name] = 1; order[++n] = name }
        }
        END { for (i = 1; i <= n; i++) print order[i], before[order[i]] + 0, after[order[i]] }
    ' "$work/$scenario.trace")
    if [ -z "$counts" ]; then
        report "$scenario" "no system calls found after the start probe"
        return
    fi
    echo "== $scenario: system calls of the operation (name, count):"
    echo "$counts" | awk '{ printf "   %s %d", $1, $3 } END { print "" }'

    local name skip count n when errno
    while read -r name skip count; do
        for ((n = 1; n <= count; n++)); do
            when=$((skip + n))
            # Kill sweep: the process dies on entering this call.
            run_case "$scenario" "$operation" "$scenario kill $name#$n" \
                -e "inject=$name:signal=SIGKILL:when=$when"
            kills=$((kills + 1))
            case $run_rc in
            137) ;;
            0) report "$scenario kill $name#$n" "the kill did not happen (trace out of step?)" ;;
            *) report "$scenario kill $name#$n" "exited $run_rc instead of being killed" ;;
            esac

            # Error sweep: this call fails with each errno it can return.
            for errno in ${errnos[$name]:-}; do
                run_case "$scenario" "$operation" "$scenario $name#$n=$errno" \
                    -e "inject=$name:error=$errno:when=$when"
                errors=$((errors + 1))
                if ! grep -q "(INJECTED)" "$work/run.trace"; then
                    report "$scenario $name#$n=$errno" "the error was not injected (trace out of step?)"
                fi
                case $run_rc in
                0)
                    completed=$((completed + 1))
                    if [[ $durable_calls == *" $name "* ]]; then
                        report "$scenario $name#$n=$errno" "failed $name reported as success"
                    fi
                    ;;
                1) failed=$((failed + 1)) ;;
                *)
                    crashed=$((crashed + 1))
                    report "$scenario $name#$n=$errno" "crashed (exit $run_rc) instead of reporting"
                    ;;
                esac
            done
        done
    done <<<"$counts"

    echo "   kill sweep: $kills runs; error sweep: $errors runs," \
        "$failed failures reported, $completed completed despite the error," \
        "$crashed crashes; problems: $((total_problems - problems_before))"
    total_kills=$((total_kills + kills))
    total_errors=$((total_errors + errors))
    total_failed=$((total_failed + failed))
}

# The operation as an unprivileged user who may not write to the folder
# (case read-only-folder) or not read history.dat (case unreadable-history):
# it must report failure and leave everything as it was. Root ignores file
# permissions, so root runs the driver as nobody.
permission_case() {
    local scenario=$1 operation=$2 case=$3 dir="$work/perm-$1-$3"
    local as_user=()
    prepare "$scenario"
    if [ "$(id -u)" -eq 0 ]; then
        if ! command -v setpriv >/dev/null || ! id nobody >/dev/null 2>&1; then
            skip "permission case $scenario $case" "no setpriv or no user nobody"
            return
        fi
        as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
        chmod 755 "$work"
    fi
    cp -a "$work/$scenario.setup" "$dir"
    chmod -R a+rX "$dir"
    case $case in
    read-only-folder) chmod a-w "$dir" ;;
    unreadable-history) chmod a+rwx "$dir" && chmod a-r "$dir/history.dat" ;;
    read-only-play) chmod a+rwx "$dir" && chmod a-w "$dir/play.dat" ;;
    read-only-history) chmod a+rwx "$dir" && chmod a-w "$dir/history.dat" ;;
    esac
    if ! "${as_user[@]}" test -x "$driver" || ! "${as_user[@]}" test -r "$dir/play.dat"; then
        skip "permission case $scenario $case" "the user cannot reach the driver"
        chmod u+w "$dir"
        return
    fi
    "${as_user[@]}" "$driver" "$operation" "$dir" >/dev/null 2>&1
    local rc=$?
    chmod u+w "$dir"
    total_runs=$((total_runs + 1))
    if [ $rc -ne 1 ]; then
        report "$scenario $case" "exited $rc instead of reporting failure"
    elif ! "$driver" check "$scenario" "$dir" failed >"$work/check.out" 2>"$work/check.err" ||
        [ "$(cat "$work/check.out")" != old ]; then
        report "$scenario $case" "the folder did not keep its state"
    else
        echo "== permission case $scenario $case: failure reported, nothing changed"
    fi
}

# The operation on a nearly full disk: a small tmpfs in a private mount
# namespace, filled up to leave 0, 4, 8, ... KiB free, so that the
# operation runs out of space at every file it writes. Needs root or user
# namespaces; skipped otherwise.
full_disk_sweep() {
    local scenario=$1 operation=$2 most=$3
    prepare "$scenario"
    if ! unshare -m true 2>/dev/null && ! unshare -rm true 2>/dev/null; then
        skip "full-disk sweep $scenario" "cannot mount a tmpfs here"
        return
    fi
    local flag=-m
    unshare -m true 2>/dev/null || flag=-rm
    unshare "$flag" "$0" --full-disk "$driver" "$work" "$scenario" "$operation" "$most" \
        >"$work/full-disk.out" 2>&1
    head -n -1 "$work/full-disk.out"
    if grep -q '^== full-disk sweep .* skipped:' "$work/full-disk.out"; then
        total_skipped=$((total_skipped + 1))
        return
    fi
    local runs problems failed
    read -r _ runs _ failed _ problems < <(tail -n 1 "$work/full-disk.out")
    if ! [[ ${runs:-} =~ ^[0-9]+$ && ${problems:-} =~ ^[0-9]+$ ]]; then
        report "$scenario full disk" "the sweep did not run"
        return
    fi
    total_runs=$((total_runs + runs))
    total_full=$((total_full + runs))
    total_failed=$((total_failed + failed))
    total_problems=$((total_problems + problems))
}

# Runs inside the private mount namespace of full_disk_sweep. Its last line
# is "runs N failed F problems P".
full_disk_child() {
    local scenario=$1 operation=$2 most=$3 disk="$work/disk" runs=0 failed=0 completed=0
    mkdir -p "$disk"
    if ! mount -t tmpfs -o size=2m tmpfs "$disk" 2>/dev/null; then
        echo "== full-disk sweep $scenario skipped: cannot mount a tmpfs here"
        echo "runs 0 failed 0 problems 0"
        exit 0
    fi
    local free
    for ((free = 0; free <= most; free += 4)); do
        rm -rf "${disk:?}"/*
        cp -a "$work/$scenario.setup" "$disk/data"
        head -c 4M /dev/zero >"$disk/filler" 2>/dev/null
        truncate -s "-${free}K" "$disk/filler"
        "$driver" "$operation" "$disk/data" >/dev/null 2>&1
        run_rc=$?
        local status=killed
        [ $run_rc -eq 0 ] && status=ok && completed=$((completed + 1))
        [ $run_rc -eq 1 ] && status=failed && failed=$((failed + 1))
        if [ $status = killed ]; then
            report "$scenario full disk, ${free} KiB free" "crashed (exit $run_rc) instead of reporting"
        elif ! "$driver" check "$scenario" "$disk/data" "$status" >"$work/check.out" \
            2>"$work/check.err"; then
            report "$scenario full disk, ${free} KiB free" "run exited $run_rc ($status); check failed"
        fi
        runs=$((runs + 1))
    done
    # The sweep must reach both ends: no room at all, and room enough.
    [ $failed -gt 0 ] && [ $completed -gt 0 ] ||
        report "$scenario full disk" "$failed failed and $completed completed runs: widen the sweep"
    umount "$disk"
    echo "== full-disk sweep $scenario: $runs runs, $failed failures reported, $completed completed"
    echo "runs $runs failed $failed problems $total_problems"
}

# Fails, one at a time, each system call of the load that comes before the
# save or the change (those between the start probe and the load's end
# probe), with every errno that call can return.
load_sweep() {
    local scenario=$1 operation=$2 runs=0 problems_before=$total_problems
    prepare "$scenario"
    run_case "$scenario" "$operation" "$operation baseline"
    if [ $run_rc -ne 0 ]; then
        report "$operation baseline" "the undisturbed run exited $run_rc"
    fi
    local counts
    counts=$(awk '
        / \+\+\+ | --- / { next }
        /kavora-fault-sweep-start/ { started = 1; next }
        /kavora-fault-sweep-loaded/ { exit }
        {
            name = $2; sub(/\(.*/, "", name)
            if (name !~ /^[a-z_0-9]+$/) next
            if (started) after[name]++; else before[name]++
            if (started && !(name in seen)) { seen[name] = 1; order[++n] = name }
        }
        END { for (i = 1; i <= n; i++) print order[i], before[order[i]] + 0, after[order[i]] }
    ' "$work/run.trace")
    echo "== $operation: system calls of the load (name, count):"
    echo "$counts" | awk '{ printf "   %s %d", $1, $3 } END { print "" }'
    local name skip count n errno
    while read -r name skip count; do
        for ((n = 1; n <= count; n++)); do
            for errno in ${errnos[$name]:-}; do
                run_case "$scenario" "$operation" "$operation load $name#$n=$errno" \
                    -e "inject=$name:error=$errno:when=$((skip + n))"
                runs=$((runs + 1))
                total_errors=$((total_errors + 1))
                [ $run_rc -le 1 ] ||
                    report "$operation load $name#$n=$errno" "crashed (exit $run_rc) instead of reporting"
            done
        done
    done <<<"$counts"
    echo "   $runs runs; problems: $((total_problems - problems_before))"
}

if [ "${1:-}" = --full-disk ]; then
    full_disk_child "$4" "$5" "$6"
    exit 0
fi

case $part in
all | calls | permissions | full-disk | load) ;;
*)
    echo "unknown part: $part" >&2
    exit 2
    ;;
esac
if [ "$part" = load ]; then
    load_sweep save load-save
    load_sweep rollover load-rollover
    load_sweep convert load-convert
fi
if [ "$part" = all ] || [ "$part" = calls ]; then
    sweep save save
    sweep rollover rollover
    sweep first-rollover rollover
    sweep recover-finish recover
    sweep recover-undo recover
    sweep recover-earlier recover
    sweep save-kept save
    sweep rollover-kept rollover
    sweep rollover-countless rollover
    sweep import-play import-play
    sweep import-both import
    sweep merge merge
    sweep recover-save recover-save
fi
if [ "$part" = all ] || [ "$part" = permissions ]; then
    permission_case save save read-only-folder
    permission_case save save read-only-play
    permission_case rollover rollover read-only-folder
    permission_case rollover rollover unreadable-history
    permission_case rollover rollover read-only-play
    permission_case rollover rollover read-only-history
    permission_case import-both import read-only-history
    permission_case merge merge read-only-play
fi
if [ "$part" = all ] || [ "$part" = full-disk ]; then
    full_disk_sweep save save 24
    full_disk_sweep rollover rollover 160
    full_disk_sweep first-rollover rollover 80
fi

echo "== totals: $total_runs runs ($total_kills killed, $total_errors with an injected error," \
    "$total_full on a full disk, $total_failed failures reported); problems: $total_problems;" \
    "cases skipped: $total_skipped"
[ $total_problems -eq 0 ] || exit 1
[ $total_skipped -eq 0 ] || exit 77
