#!/usr/bin/env bash
# Applies the patch between two 300 MiB files with the launcher's streamed and
# in-memory appliers and, for reference, Debian's bspatch on a bsdiff patch
# of the same pair (the same control, diff and extra blocks; bzip2 instead of
# zlib). Prints wall time and peak memory of each and checks every output.
#   bench/services/patch_bench.sh [MiB per file, default 300] [work folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
size=${1:-300}
work=${2:-$(mktemp -d)}
here=bench/services

if ! command -v bspatch >/dev/null; then
  if [[ $(id -u) -eq 0 ]]; then apt-get install -y bsdiff >/dev/null
  else sudo apt-get install -y bsdiff >/dev/null; fi
fi

cmake --preset release >/dev/null
cmake --build --preset release --target patch_apply_tool >/dev/null
tool=build/release/bench/services/patch_apply_tool

echo "making a ${size} MiB pair in $work"
python3 "$here/make_patch_pair.py" "$work" "$size"
ls -l "$work"
cat "$work"/old.bin "$work"/new.patch "$work"/new.bsdiff >/dev/null  # into the page cache

printf '%-24s %10s %16s\n' run time "peak memory"
python3 "$here/run_measured.py" "launcher streamed" "$tool" streamed "$work/old.bin" "$work/out.streamed" "$work/new.patch"
python3 "$here/run_measured.py" "launcher in memory" "$tool" memory "$work/old.bin" "$work/out.memory" "$work/new.patch"
python3 "$here/run_measured.py" "bspatch (Debian)" bspatch "$work/old.bin" "$work/out.bspatch" "$work/new.bsdiff"

for out in out.streamed out.memory out.bspatch; do
  cmp -s "$work/new.bin" "$work/$out" && echo "$out matches new.bin" || { echo "$out DIFFERS"; exit 1; }
done
[[ -z ${2:-} ]] && rm -rf "$work"
