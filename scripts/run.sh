#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Kavora and starts it in its data folder, which gets the starter files
# (hit_ball.wav, ...) it lacks; files already there are never replaced.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build -G Ninja
cmake --build build --parallel --target kavora

data=${KAVORA_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/kavora}
echo "Kavora data folder: $data"
# build/kavora-run is the installed launcher's twin for the build tree: it
# creates the folder, copies the missing starter files and runs the program.
export KAVORA_DATA=$data
exec build/kavora-run "$@"
