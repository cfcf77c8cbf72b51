#!/usr/bin/env bash
# Serves a 1 GiB file from the test server on loopback and fetches it with the
# download manager (parts, resume records, MD5 check), with curl (one
# connection) and with aria2c -x5 -s5; prints the throughput and CPU seconds
# of each and the ratios.
#   bash bench/services/fetch_bench.sh [SIZE_BYTES]
set -euo pipefail
cd "$(dirname "$0")/../.."
size=${1:-1073741824}

need=()
command -v curl >/dev/null || need+=(curl)
command -v aria2c >/dev/null || need+=(aria2)
command -v bc >/dev/null || need+=(bc)
if ((${#need[@]})); then
  apt-get update -qq && apt-get install -y -qq "${need[@]}" >/dev/null
fi

cmake --preset release >/dev/null
cmake --build --preset release --target services_fetch_driver launcher_test_server >/dev/null
bin=build/release

work=$(mktemp -d "${TMPDIR:-/tmp}/fetch_bench.XXXXXX")
server_out="$work/server.out"
"$bin/tools/test_server/launcher_test_server" --pattern /big.bin "$size" 1 >"$server_out" &
server_pid=$!
cleanup() {
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 600); do
  grep -q '^port ' "$server_out" 2>/dev/null && break
  sleep 0.1
done
port=$(awk '/^port /{print $2}' "$server_out")
md5=$(awk '/^md5 /{print $3}' "$server_out")
[[ -n "$port" && -n "$md5" ]] || { echo "test server did not start" >&2; exit 1; }
url="http://127.0.0.1:$port/big.bin"

# run NAME COMMAND...: times the command three times and keeps the fastest
# run; sets wall_NAME and cpu_NAME (user + system seconds of that run).
run() {
  local name=$1; shift
  local best_wall="" best_cpu="" t wall user sys cpu
  for _ in 1 2 3; do
    t=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>"$work/$name.err"; } 2>&1 ) || {
      echo "$name failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
    read -r wall user sys <<<"$t"
    cpu=$(echo "$user + $sys" | bc -l)
    if [[ -z "$best_wall" ]] || (( $(echo "$wall < $best_wall" | bc -l) )); then
      best_wall=$wall
      best_cpu=$cpu
    fi
    rm -f "$work/out.bin" "$work/out.bin.cfg" "$work/out.bin.aria2"
  done
  printf -v "wall_$name" '%s' "$best_wall"
  printf -v "cpu_$name" '%s' "$best_cpu"
}

run manager "$bin/bench/services/services_fetch_driver" "http://127.0.0.1:$port/" big.bin \
  "$work/out.bin" "$md5" "$size"
run curl curl -sS -o "$work/out.bin" "$url"
run aria2 aria2c -q -x5 -s5 --file-allocation=none --allow-overwrite=true \
  -d "$work" -o out.bin "$url"

mib=$(echo "$size / 1048576" | bc -l)
report() {
  local name=$1 wall=$2 cpu=$3
  printf '%-16s %9.1f MiB/s %8.2f s wall %8.2f s CPU\n' "$name" \
    "$(echo "$mib / $wall" | bc -l)" "$wall" "$cpu"
}
echo "fetching $(printf '%.0f' "$mib") MiB over loopback (best of three runs each)"
report "download manager" "$wall_manager" "$cpu_manager"
report "curl" "$wall_curl" "$cpu_curl"
report "aria2c -x5 -s5" "$wall_aria2" "$cpu_aria2"
echo "throughput ratio (manager / peer, higher is better):"
printf '  vs curl   %.2f\n' "$(echo "$wall_curl / $wall_manager" | bc -l)"
printf '  vs aria2c %.2f\n' "$(echo "$wall_aria2 / $wall_manager" | bc -l)"
echo "CPU ratio (peer / manager, higher is better; the manager also checks the MD5):"
printf '  vs curl   %.2f\n' "$(echo "$cpu_curl / $cpu_manager" | bc -l)"
printf '  vs aria2c %.2f\n' "$(echo "$cpu_aria2 / $cpu_manager" | bc -l)"
