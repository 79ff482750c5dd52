#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Kavora needs to build, run and test, when any
# of them is missing. Works as root or as a user with sudo.
set -euo pipefail

packages=(
    build-essential dpkg-dev cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libcanberra-dev libfontconfig-dev
    qt6-qpa-plugins
    fonts-liberation2
    libgtest-dev libgmock-dev libbenchmark-dev
    libical-dev python3-icalendar
    strace xvfb xauth poppler-utils desktop-file-utils appstream
    # The views read as a screen reader reads them: a session bus, the
    # accessibility bus and its Python client.
    dbus at-spi2-core python3-pyatspi
    # The Debian package: lintian checks it; CPack finds the programs whose
    # libraries dpkg-shlibdeps lists with file.
    lintian file
    python3-vobject
    clang
    # CI checks every C++ file against the repository's .clang-format.
    clang-format
)

installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]
}

# The fuzz targets need clang's runtime libraries (libFuzzer and the
# sanitizers), packaged per clang major version: that of the installed clang,
# else that of the clang the release would install. Older releases ship them
# in libclang-common-N-dev. Prints nothing when neither is known.
clang_runtime() {
    local major=""
    if command -v clang >/dev/null; then
        major=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
    fi
    if [ -z "$major" ]; then
        major=$(apt-cache depends clang 2>/dev/null |
            sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1)
    fi
    [ -n "$major" ] || return 0
    for candidate in "libclang-rt-$major-dev" "libclang-common-$major-dev"; do
        if installed "$candidate" || apt-cache show "$candidate" >/dev/null 2>&1; then
            echo "$candidate"
            return 0
        fi
    done
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
runtime=$(clang_runtime)
if [ ${#missing[@]} -eq 0 ] && [ -n "$runtime" ] && installed "$runtime"; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "deps.sh: packages must be installed (${missing[*]:-clang runtime}), which needs" \
            "root: run this script as root, or install sudo." >&2
        exit 1
    fi
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
# With fresh package lists the runtime's name can be found even before clang
# is installed.
[ -n "$runtime" ] || runtime=$(clang_runtime)
if [ -n "$runtime" ]; then
    installed "$runtime" || missing+=("$runtime")
else
    echo "deps.sh: cannot tell which clang runtime package to install; the fuzz targets" \
        "will not link." >&2
fi
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
