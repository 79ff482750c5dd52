#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Kavora with its tests and benchmarks and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
# The dev preset (CMakePresets.json), keeping whether warnings are errors as
# the build folder has it: off in a new folder, on where CI configured it.
werror=$(sed -n 's/^KAVORA_WERROR:BOOL=//p' build/CMakeCache.txt 2>/dev/null || true)
cmake --preset dev -DKAVORA_WERROR="${werror:-OFF}"
cmake --build --preset dev --parallel
ctest --preset all --parallel "$(nproc)"
