#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a bounded time,
# each seeded from tests/fuzz/corpus/<target>/. Every target runs even when an
# earlier one fails; a crashing input is kept in the target's corpus folder as
# "crash-<digest>" so it stays a regression seed, and the script fails at the
# end when any target failed.
#   scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# Copies every input libFuzzer left in the artifact folder (crash-, leak-,
# timeout-, oom-<sha1>) into the target's corpus folder, keeping its name.
keep_artifacts() {
  local artifacts=$1 corpus=$2 kept=0
  for artifact in "$artifacts"/*; do
    mkdir -p "$corpus"
    cp "$artifact" "$corpus/"
    echo "  kept $(basename "$artifact") as a regression seed in $corpus/"
    kept=1
  done
  return $((1 - kept))
}

shopt -s nullglob
fuzzers=(build/fuzz/fuzzers/*)
if (( ${#fuzzers[@]} == 0 )); then
  echo "no fuzzers were built" >&2
  exit 1
fi

failed=()
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus=tests/fuzz/corpus/$name
  work=$(mktemp -d)
  mkdir -p "$work/corpus" "$work/artifacts"
  seeds=()
  if [[ -d $corpus ]]; then
    seeds=("$corpus")
  else
    echo "  note: no seed folder $corpus; $name starts empty"
  fi
  echo "fuzzing $name for ${seconds}s"
  status=0
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "${seeds[@]}" || status=$?
  kept=0
  keep_artifacts "$work/artifacts" "$corpus" && kept=1
  if (( status != 0 || kept )); then
    echo "FAILED: $name (exit $status)"
    failed+=("$name")
  fi
  rm -rf "$work"
done

if (( ${#failed[@]} > 0 )); then
  echo "fuzzers that failed: ${failed[*]}" >&2
  exit 1
fi
echo "every fuzzer ran clean"
