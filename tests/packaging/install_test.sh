#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Unpacks the Debian package into a scratch root and checks the tree as a user
# gets it: every file the package lists, with its checksum; every file in its
# standard place, icons of the right sizes, the documents Debian asks for, a
# desktop entry and metainfo that validate; the real program answering
# without a display (and nothing but its own lines on stderr) in a fresh
# data folder; and a launcher that prepares the data folder (created,
# starter files copied, the player's own files never replaced) and starts
# the program inside it, but creates nothing for the modes that only read.
#
# install_test.sh <package dir> <scratch dir> <app id> <bindir> <libexecdir> <datadir> <mandir>
set -euo pipefail

packages=$1
scratch=$2
app_id=$3
bindir=$4
libexecdir=$5
datadir=$6
mandir=$7

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check_file() {
    [ -f "$1" ] || fail "missing $1"
}

if ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-deb missing (run scripts/deps.sh): the package is not checked"
    exit 77
fi
rm -rf "$scratch"
mkdir -p "$scratch"
root=$scratch/root
prefix=$root/usr
deb=$(ls "$packages"/kavora_*.deb)
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$scratch/control"

# What the package lists is there, as its checksums say, and nothing else.
while read -r path; do
    [ -e "$root/$path" ] || [ -L "$root/$path" ] || fail "listed but not unpacked: $path"
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t)
(cd "$root" && md5sum --check --quiet "$scratch/control/md5sums") || fail "checksums differ from md5sums"
listed=$(wc -l <"$scratch/control/md5sums")
present=$(find "$root" -type f | wc -l)
[ "$listed" = "$present" ] || fail "md5sums lists $listed files, the package holds $present"

launcher=$prefix/$bindir/kavora
program=$prefix/$libexecdir/kavora/kavora
starter=$prefix/$datadir/kavora/starter
share=$prefix/$datadir

# Installed files.
[ -x "$launcher" ] || fail "launcher $launcher missing or not executable"
[ -x "$program" ] || fail "program $program missing or not executable"
[ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "program is not an ELF file"
starter_files="approach.tip backhand.tip forehand.tip hit_ball.wav return.tip serve.tip volley.tip"
for file in $starter_files; do
    check_file "$starter/$file"
done
check_file "$share/applications/$app_id.desktop"
check_file "$share/metainfo/$app_id.metainfo.xml"
check_file "$share/icons/hicolor/scalable/apps/$app_id.svg"
for size in 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
    check_file "$png"
    [ -f "$png" ] || continue
    # PNG signature, then the IHDR chunk's big-endian width and height.
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || fail "$png is not a PNG file"
    width=$(od -An -tu1 -j16 -N4 "$png" | awk '{print ($1*16777216)+($2*65536)+($3*256)+$4}')
    height=$(od -An -tu1 -j20 -N4 "$png" | awk '{print ($1*16777216)+($2*65536)+($3*256)+$4}')
    if [ "$width" != "$size" ] || [ "$height" != "$size" ]; then
        fail "$png is ${width}x$height, not ${size}x$size"
    fi
done
grep -qx "Icon=$app_id" "$share/applications/$app_id.desktop" || fail "desktop entry names another icon"
grep -qx "Exec=kavora" "$share/applications/$app_id.desktop" || fail "desktop entry does not start the launcher"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo does not launch the desktop entry"
desktop-file-validate "$share/applications/$app_id.desktop" ||
    fail "desktop-file-validate rejects the installed desktop entry"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" >"$scratch/validate.log" 2>&1 ||
        fail "appstreamcli validate: $(cat "$scratch/validate.log")"
else
    echo "appstreamcli missing (run scripts/deps.sh): the metainfo is not validated"
fi
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$share/metainfo/$app_id.metainfo.xml" ||
    fail "metainfo does not name the licence"

# The documents: copyright, changelog and manual page, compressed.
doc=$share/doc/kavora
check_file "$doc/copyright"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" ||
    fail "the copyright file is not machine-readable"
for file in "$doc/changelog.gz" "$prefix/$mandir/man1/kavora.1.gz"; do
    gzip -t "$file" 2>/dev/null || fail "$file missing or not compressed"
done
manual=$(zcat "$prefix/$mandir/man1/kavora.1.gz" 2>/dev/null | sed 's/\\-/-/g')
for option in --help --version --render --size --scale --print --opponent --out; do
    grep -q -- "$option" <<<"$manual" || fail "the manual page does not list $option"
done

# The tree as a software centre sees it: metainfo, desktop entry and icon together.
appstreamcli validate-tree --no-net "$root" >"$scratch/validate-tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$scratch/validate-tree.log")"

# The real program through the launcher, with no display at all and no
# runtime folder (which the toolkit would warn of): the version needs no data
# folder (not even a home); without a data folder a picture is refused and a
# dry run previews into an empty one, both creating nothing; an import makes
# the folder and fills it, and a picture is then drawn from it.
real_home=$scratch/real-home
real_data=$real_home/.local/share/kavora
version=$(env -i PATH="$PATH" "$launcher" --version) || fail "--version failed"
[ "$version" = "kavora $(dpkg-deb -f "$deb" Version)" ] || fail "--version says '$version'"
real() {
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u KAVORA_DATA -u XDG_DATA_HOME \
        -u XDG_RUNTIME_DIR HOME="$real_home" TMPDIR="$scratch/tmp" "$launcher" "$@" \
        >"$scratch/real.out" 2>"$scratch/real.err" || status=$?
}
mkdir -p "$scratch/tmp"
printf 'Date,Opponent,Kind\n6/14/2026,Cy Young,Lesson\n' >"$scratch/one.csv"
real --render tips --size 320x240 --out "$scratch/tips.png"
[ "$status" = 1 ] || fail "a picture without a data folder exited with $status"
[ "$(cat "$scratch/real.err")" = "kavora: no data folder $real_data" ] ||
    fail "a picture without a data folder says: $(cat "$scratch/real.err")"
real --import "$scratch/one.csv" --dry-run
[ "$status" = 0 ] || fail "a dry run without a data folder exited with $status: $(cat "$scratch/real.err")"
[ "$(head -n 1 "$scratch/real.out")" = "would add 1 outing" ] ||
    fail "a dry run without a data folder says: $(cat "$scratch/real.out")"
[ ! -e "$real_home" ] || fail "a reading mode created $(find "$real_home")"
[ -z "$(ls -A "$scratch/tmp")" ] || fail "a dry run left $(ls -A "$scratch/tmp")"
real --import "$scratch/one.csv"
[ "$status" = 0 ] || fail "the installed program could not import: $(cat "$scratch/real.err")"
for file in $starter_files; do
    cmp -s "$starter/$file" "$real_data/$file" || fail "$file not copied by the real run"
done
real --render tips --size 320x240 --out "$scratch/tips.png"
[ "$status" = 0 ] || fail "the installed program could not draw: $(cat "$scratch/real.err")"
[ "$(od -An -tx1 -N8 "$scratch/tips.png" 2>/dev/null | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "the installed program drew no PNG"
[ ! -s "$scratch/real.err" ] || fail "the installed program said on stderr: $(cat "$scratch/real.err")"

# The launcher, with a stand-in program that records where and how it ran.
cat >"$program" <<'FAKE'
#!/bin/sh
{ pwd; printf '%s\n' "$@"; } >"$FAKE_LOG"
exit "${FAKE_STATUS:-0}"
FAKE
chmod +x "$program"
export FAKE_LOG=$scratch/fake.log
home=$scratch/home
mkdir -p "$home"
run() {
    rm -f "$FAKE_LOG"
    env -u KAVORA_DATA -u XDG_DATA_HOME HOME="$home" "$@"
}

# First run: the data folder is made and filled, the program runs inside it.
status=0
run XDG_DATA_HOME="$scratch/xdg" "$launcher" one "two words" || status=$?
data=$scratch/xdg/kavora
[ "$status" = 0 ] || fail "first run exited with $status"
[ -d "$data" ] || fail "data folder $data not created"
for file in $starter_files; do
    cmp -s "$starter/$file" "$data/$file" || fail "$file not copied"
done
printf '%s\n' "$data" one "two words" | cmp -s - "$FAKE_LOG" || fail "program not started in $data with the arguments"

# A second run keeps the player's own file and leaves no temporary behind.
printf 'mine' >"$data/hit_ball.wav"
printf 'my tips' >"$data/forehand.tip"
run XDG_DATA_HOME="$scratch/xdg" "$launcher" || fail "second run failed"
[ "$(cat "$data/hit_ball.wav")" = mine ] || fail "the player's hit_ball.wav was overwritten"
[ "$(cat "$data/forehand.tip")" = "my tips" ] || fail "the player's forehand.tip was overwritten"
[ "$(find "$data" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')" = "$starter_files " ] ||
    fail "stray files in the data folder: $(ls -A "$data")"

# A dangling link under a starter name is the player's too.
rm "$data/hit_ball.wav"
ln -s "$scratch/nowhere" "$data/hit_ball.wav"
run XDG_DATA_HOME="$scratch/xdg" "$launcher" || fail "run with a dangling link failed"
[ -L "$data/hit_ball.wav" ] || fail "a dangling link was replaced"

# Without XDG_DATA_HOME, and with a relative one (which must be ignored),
# the folder is ~/.local/share/kavora.
run "$launcher" || fail "run without XDG_DATA_HOME failed"
check_file "$home/.local/share/kavora/hit_ball.wav"
rm -rf "$home/.local"
(cd "$scratch" && run XDG_DATA_HOME=relative "$launcher") || fail "run with a relative XDG_DATA_HOME failed"
check_file "$home/.local/share/kavora/hit_ball.wav"
[ ! -e "$scratch/relative" ] || fail "a relative XDG_DATA_HOME was used"

# KAVORA_DATA names the folder outright; the launcher works through a link;
# the program's exit status is passed on.
status=0
run KAVORA_DATA="$scratch/own folder" FAKE_STATUS=3 "$launcher" || status=$?
[ "$status" = 3 ] || fail "the program's exit status 3 came back as $status"
check_file "$scratch/own folder/hit_ball.wav"
ln -s "$launcher" "$scratch/kavora-link"
run XDG_DATA_HOME="$scratch/linked" "$scratch/kavora-link" || fail "run through a link failed"
check_file "$scratch/linked/kavora/hit_ball.wav"

# The modes that only read create nothing: without the folder they are
# refused before the program starts, except a dry run, which the program
# runs in an empty folder that is already gone; in a folder without the
# starter files they copy none.
absent=$scratch/absent
mkdir -p "$scratch/fake-tmp"
# shellcheck disable=SC2086 # the words of a mode are its arguments
for mode in "--export notes --out x.csv" "--render=tips --size 1x1 --out x.png" \
    "--print form --out x.pdf" "--import x.csv --dry-run"; do
    status=0
    run KAVORA_DATA="$absent" TMPDIR="$scratch/fake-tmp" "$launcher" $mode 2>"$scratch/stderr" ||
        status=$?
    [ ! -e "$absent" ] || fail "$mode created the data folder"
    [ -z "$(ls -A "$scratch/fake-tmp")" ] || fail "$mode left $(ls -A "$scratch/fake-tmp")"
    case $mode in
    *--dry-run)
        [ "$status" = 0 ] || fail "$mode without a data folder exited with $status"
        # The log's last lines: where it ran is a folder already removed.
        printf '%s\n' $mode | cmp -s - <(tail -n 3 "$FAKE_LOG") ||
            fail "$mode was not run without a data folder"
        ;;
    *)
        [ "$status" = 1 ] || fail "$mode without a data folder exited with $status"
        [ "$(cat "$scratch/stderr")" = "kavora: no data folder $absent" ] ||
            fail "$mode without a data folder says: $(cat "$scratch/stderr")"
        [ ! -e "$FAKE_LOG" ] || fail "$mode ran the program without a data folder"
        ;;
    esac
done
mkdir "$scratch/bare"
run KAVORA_DATA="$scratch/bare" "$launcher" --export contacts --out x.vcf || fail "export failed"
[ "$(head -n 1 "$FAKE_LOG")" = "$scratch/bare" ] || fail "export did not run in its data folder"
[ -z "$(ls -A "$scratch/bare")" ] || fail "export copied $(ls -A "$scratch/bare")"

# A data folder that cannot be made is reported, and the program not started.
: >"$scratch/a-file"
status=0
run KAVORA_DATA="$scratch/a-file/kavora" "$launcher" 2>"$scratch/stderr" || status=$?
[ "$status" != 0 ] || fail "an impossible data folder was not reported"
grep -q "data folder" "$scratch/stderr" || fail "no message for an impossible data folder"
[ ! -e "$FAKE_LOG" ] || fail "the program ran without its data folder"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
rm -rf "$scratch"
echo "install tree and launcher: all checks passed"
