#!/usr/bin/env bash
# Installs the Debian packages Kavora needs to build, run and test, when any
# of them is missing. Works as root or as a user with sudo.
set -euo pipefail

packages=(
    build-essential dpkg-dev cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libcanberra-dev
    qt6-qpa-plugins
    fonts-liberation2
    libgtest-dev libgmock-dev libbenchmark-dev
    strace xvfb xauth poppler-utils desktop-file-utils appstream
    clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
