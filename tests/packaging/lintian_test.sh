#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lintian on the Debian package that build_package.sh made: it must
# report nothing at all, neither errors nor warnings.
#
# lintian_test.sh <package dir>
set -uo pipefail

if ! command -v lintian >/dev/null; then
    echo "lintian missing (run scripts/deps.sh): the package is not checked"
    exit 77
fi
packages=("$1"/kavora_*.deb)
[ -f "${packages[0]}" ] || {
    echo "FAIL: no package in $1"
    exit 1
}
# Lintian's own note about running as root (as CI does) is no finding.
report=$(lintian --fail-on error,warning "${packages[@]}" 2>&1)
status=$?
report=$(grep -v '^running with root privileges is not recommended!$' <<<"$report")
if [ "$status" -ne 0 ] || [ -n "$report" ]; then
    echo "FAIL: lintian (exit $status):"
    echo "$report"
    exit 1
fi
echo "lintian: nothing to report on ${packages[*]##*/}"
