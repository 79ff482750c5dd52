#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The views read through the desktop's accessibility bus, as a screen reader
# reads them: on a generated data set, under a private session bus with the
# accessibility bus and an X server of its own, accessibility_check.py reads
# the notes, the spreadsheet, a graph and the calendar and compares them with
# the data files.
#
# Skipped (exit 77, with a line saying why) where the tools are missing or the
# accessibility bus cannot start.
#
# usage: accessibility_check.sh KAVORA KAVORA_GEN
set -u
self=$(realpath "$0")
here=$(dirname "$self")

skip() {
    echo "SKIP: $*"
    exit 77
}

if [ "${1:-}" = --inside ]; then
    # Inside the session bus and the X server.
    kavora=$2
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    bus=""
    for _ in $(seq 50); do
        bus=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ')
        [ -n "$bus" ] && break
        sleep 0.2
    done
    if [ -z "$bus" ]; then
        kill "$launcher" 2>/dev/null
        skip "the accessibility bus (at-spi-bus-launcher) could not start"
    fi
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$kavora" &
    program=$!
    /usr/bin/python3 "$here/accessibility_check.py"
    status=$?
    kill "$program" "$launcher" 2>/dev/null
    wait "$program" 2>/dev/null
    exit $status
fi

kavora=$(realpath "$1")
generator=$(realpath "$2")
for tool in dbus-run-session dbus-send xvfb-run xauth; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"

work=$(mktemp -d "${TMPDIR:-/tmp}/kavora-atspi-XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
"$generator" --history 50 "$work/data" >/dev/null || exit 2
printf 'KVR Coach Data Format 1.0\r\nPat Smith\r\n' >"$work/data/coach.dat"
cd "$work/data" || exit 2
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
exec dbus-run-session -- xvfb-run -a -s '-screen 0 1280x1024x24' "$self" --inside "$kavora"
