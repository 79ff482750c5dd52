#!/usr/bin/env bash
# Builds Kavora and starts it in its data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

./scripts/deps.sh
cmake -S . -B build -G Ninja
cmake --build build --parallel --target kavora

data=${KAVORA_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/kavora}
mkdir -p "$data"
echo "Kavora data folder: $data"
cd "$data"
exec "$top/build/bin/kavora" "$@"
