#!/usr/bin/env bash
# Applies the patch between two files with the launcher's streamed and
# in-memory appliers and, for reference, Debian's bspatch on a bsdiff patch
# of the same pair (the same control, diff and extra blocks; bzip2 instead of
# zlib), at two sizes. For each size it prints the minimum and median wall
# time and peak memory of each (rounds interleaved), then bspatch's time over
# the streamed applier's (above 1: the launcher is faster; goal 1.5) and the
# streamed applier's peak memory (goal: at most 64 MiB, the same at both
# sizes). Every output is checked against the new file.
#   bench/services/patch_bench.sh [MiB of the small pair, default 256]
#                                 [MiB of the large pair, default 1024]
#                                 [rounds, default 3] [work folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
sizes=("${1:-256}" "${2:-1024}")
round_count=${3:-3}
work=${4:-$(mktemp -d)}
here=bench/services

if ! command -v bspatch >/dev/null; then
  if [[ $(id -u) -eq 0 ]]; then apt-get install -y bsdiff >/dev/null
  else sudo apt-get install -y bsdiff >/dev/null; fi
fi

cmake --preset release >/dev/null
cmake --build --preset release --target patch_apply_tool >/dev/null
tool=$PWD/build/release/bench/services/patch_apply_tool

for size in "${sizes[@]}"; do
  pair=$work/$size
  echo
  echo "== a ${size} MiB pair in $pair"
  [[ -f $pair/new.bsdiff ]] || python3 "$here/make_patch_pair.py" "$pair" "$size"
  ls -l "$pair"
  cat "$pair"/old.bin "$pair"/new.patch "$pair"/new.bsdiff >/dev/null  # into the page cache
  python3 "$here/run_measured.py" --rounds "$round_count" --goal-speed 1.5 --goal-peak 64 -- \
    "launcher streamed" "$tool streamed $pair/old.bin $pair/out.streamed $pair/new.patch" \
    "bspatch (Debian)" "bspatch $pair/old.bin $pair/out.bspatch $pair/new.bsdiff" \
    "launcher in memory" "$tool memory $pair/old.bin $pair/out.memory $pair/new.patch"
  for out in out.streamed out.memory out.bspatch; do
    cmp -s "$pair/new.bin" "$pair/$out" && echo "$out matches new.bin" || { echo "$out DIFFERS"; exit 1; }
    rm -f "$pair/$out"
  done
done
[[ -z ${4:-} ]] && rm -rf "$work"
exit 0
