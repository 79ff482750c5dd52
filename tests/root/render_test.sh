#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kavora --render as a real process:
#   - an unknown view or a bad size ends with exit code 2 and one line on
#     stderr that names the views;
#   - every view draws into a PDF whose text reads back, the charting
#     notebook into PNG and SVG as well; --scale 2 gives a picture twice as
#     large each way, a bad scale is refused;
#   - the data folder is left exactly as it was, even with a damaged file, an
#     interrupted goal-period change and files of the oldest layouts in it
#     (read, converted in memory): no file changed, none added (no lock, no
#     backup, no rebuild, no conversion, no copy).
#
# usage: render_test.sh KAVORA
set -u
kavora=$(realpath "$1")
unset QT_QPA_PLATFORM # --render chooses the offscreen platform itself
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d "${TMPDIR:-/tmp}/kavora-render-XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

data="$work/data"
out="$work/out"
mkdir -p "$data" "$out"
cd "$data" || exit 2
printf 'KVR Coach Data Format 1.0\r\nPat Smith\r\n' >coach.dat
printf 'ZBD Data File Format 2.0\r\n1\r\n"5/14/2026","Alex Moreno","6-4 7-5","40","25","3","0","0","12","0","5","3","40","30","0","0","0","11","6","0","1"\r\n' >chart.dat
# What a normal start would write over: an interrupted goal-period change to
# finish and a damaged file to rebuild.
printf 'half a history\r\n' >history.next
printf 'ZBD Data File Formet 2.5\r\n0\r\n' >phone.dat
{
    printf 'ZBD Data File Format 2.0\r\n1\r\n'
    printf '"5/14/2026","S","","Alex Moreno","","2","M","6-4 7-5","W","","","","Deep returns"'
    printf ',"%s"' 7 8 3 6 3 4 7 5 5 8 5 8 5 5 4 8 5 6 6 6 5 5 6 6
    printf '\r\n'
} >play.dat
# Files of the oldest layouts, which a normal start converts and rewrites: a
# headerless history (a title line, then eight lines a record) and a
# headerless schedule (the count, then five lines an event).
printf 'Kavora history\r\n5/2/2025\r\nP\r\n2\r\nAnn Smith\r\n\r\n\r\n\r\nOld ladder drill\r\n' >history.dat
printf '1\r\nAlex Moreno\r\n5/20/2026\r\n6:00pm\r\nCity courts\r\nBring balls\r\n' >sched.dat
before=$(ls -lA --time-style=+%s.%N; md5sum ./*)

bad_args() {
    "$kavora" "$@" >"$work/stdout" 2>"$work/stderr"
    local code=$?
    [ "$code" = 2 ] || fail "$* exits $code, not 2"
    [ "$(wc -l <"$work/stderr")" = 1 ] || fail "$* does not say one line: $(cat "$work/stderr")"
    grep -q 'views: .*charts' "$work/stderr" || fail "$* does not name the views"
}
bad_args --render no-such-view --size 600x550 --out "$out/x.png"
bad_args --render charts --size 600 --out "$out/x.png"
bad_args --render charts --size 0x550 --out "$out/x.png"
bad_args --render charts --size 600x550 --out "$out/x.bmp"
bad_args --render charts --size 600x550 --scale 0.5 --out "$out/x.png"
bad_args --render charts --size 600x550 --scale two --out "$out/x.png"

"$kavora" --render nothing --size 1x1 --out "$out/x.png" 2>"$work/stderr"
views=$(sed -n 's/.*views: //p' "$work/stderr" | tr -d ',')
[ -n "$views" ] || fail "no views named"
for view in $views; do
    if ! "$kavora" --render "$view" --size 600x550 --out "$out/$view.pdf" 2>"$work/stderr"; then
        fail "$view: $(cat "$work/stderr")"
        continue
    fi
    text=$(pdftotext "$out/$view.pdf" - 2>/dev/null)
    [ -n "$(echo "$text" | tr -d '[:space:]')" ] || fail "$view: the PDF holds no text"
done

pdftotext "$out/charts.pdf" - | grep -q 'Match Charting Notes' || fail "charts: no title"
pdftotext "$out/charts.pdf" - | grep -q 'Alex Moreno' || fail "charts: no chart"
"$kavora" --render charts --size 1280x960 --out "$out/charts.png" || fail "charts: no PNG"
[ "$(head -c 8 "$out/charts.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
    fail "charts.png is no PNG"
# PNG width and height: big-endian at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
for view in charts tips notes; do
    "$kavora" --render $view --size 640x480 --scale 2 --out "$out/$view-2x.png" ||
        fail "$view: no PNG at scale 2"
    [ "$(png_size "$out/$view-2x.png")" = 1280x960 ] ||
        fail "$view at scale 2 is $(png_size "$out/$view-2x.png"), not 1280x960"
done
"$kavora" --render charts --size 600x550 --out "$out/charts.svg" || fail "charts: no SVG"
grep -q '<svg' "$out/charts.svg" || fail "charts.svg is no SVG"

# The old history is read, converted in memory only.
"$kavora" --print practice --out "$out/practice.pdf" 2>"$work/stderr" ||
    fail "print practice: $(cat "$work/stderr")"
pdftotext "$out/practice.pdf" - | grep -q 'Old ladder drill' ||
    fail "print practice does not show the old history's notes"
"$kavora" --render scheduler --size 600x550 --out "$out/scheduler-old.pdf" ||
    fail "scheduler over an old sched.dat"

after=$(ls -lA --time-style=+%s.%N; md5sum ./*)
[ "$before" = "$after" ] || fail "the data folder changed: $(diff <(echo "$before") <(echo "$after"))"

# A tip file that cannot be loaded draws nothing: exit code 1 and the reason.
mkdir -p "$work/tips" && cd "$work/tips" || exit 2
printf 'ZBD Data File Format 3.0\r\n1\r\n"Forehand","T","1","10","Early"\r\n' >forehand.tip
"$kavora" --render tips --size 600x550 --out "$out/bad-tips.png" 2>"$work/stderr"
code=$?
[ "$code" = 1 ] || fail "tips over a newer tip file exits $code, not 1"
grep -q "'forehand.tip' was written by a newer version of Kavora" "$work/stderr" ||
    fail "tips over a newer tip file does not say why: $(cat "$work/stderr")"

[ "$failures" = 0 ] && echo "render: all passed"
exit $((failures > 0))
