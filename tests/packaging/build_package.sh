#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack from a built tree, into a folder of its
# own, for the tests that check the package.
#
# build_package.sh <build dir> <package dir>
set -euo pipefail

build=$1
out=$2
if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
    echo "dpkg-deb or dpkg-shlibdeps missing (run scripts/deps.sh): no package built"
    exit 77
fi
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    exit 1
}
ls "$out"/kavora_*.deb
