#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a bounded time.
#   scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

shopt -s nullglob
for fuzzer in build/fuzz/fuzzers/*; do
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  seeds=()
  if [[ -d tests/fuzz/corpus/$name ]]; then seeds=(tests/fuzz/corpus/"$name"); fi
  echo "fuzzing $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work" "${seeds[@]}"
  rm -rf "$work"
done
