#!/usr/bin/env bash
# Sets up the machine, builds a preset and runs its tests.
#   scripts/test.sh                 the debug preset (ASan + UBSan), every test
#   scripts/test.sh tsan 'base'     the tsan preset, the tests whose label matches
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-debug}
labels=${2:-}

bash scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

args=(--preset "$preset" --no-tests=error -j "$(nproc)")
if [[ -n "$labels" ]]; then args+=(-L "$labels"); fi
# Tests that need a display find one: the whole run sits under a virtual X server.
xvfb-run -a -s "-screen 0 1920x1080x24" ctest "${args[@]}"
