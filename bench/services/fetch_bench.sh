#!/usr/bin/env bash
# Fetches files over loopback from two servers, the test server and nginx
# (sendfile on, listening on 127.0.0.1 only), with:
#   - the download manager (parts, resume records, MD5 check of every file),
#   - curl (checks nothing),
#   - curl then md5sum -c (the fair peer: the same checked result),
#   - aria2c -x5 -s5 with its MD5 check,
# for two loads: one file of SIZE bytes (default 1 GiB) and five files of
# 200 MiB queued at once. Prints throughput and CPU seconds of each (best of
# three runs) and the ratios.
#   bash bench/services/fetch_bench.sh [SIZE_BYTES]
set -euo pipefail
cd "$(dirname "$0")/../.."
size=${1:-1073741824}
small=$((200 * 1048576))

need=()
command -v curl >/dev/null || need+=(curl)
command -v aria2c >/dev/null || need+=(aria2)
command -v bc >/dev/null || need+=(bc)
command -v nginx >/dev/null || need+=(nginx)
if ((${#need[@]})); then
  apt-get update -qq && apt-get install -y -qq "${need[@]}" >/dev/null
fi

cmake --preset release >/dev/null
cmake --build --preset release --target services_fetch_driver launcher_test_server >/dev/null
bin=build/release

work=$(mktemp -d "${TMPDIR:-/tmp}/fetch_bench.XXXXXX")
server_pid=""
nginx_pid=""
cleanup() {
  for pid in $server_pid $nginx_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/www" "$work/out" "$work/nginx"
# nginx's worker runs as an unprivileged user: it must reach the content.
chmod 755 "$work" "$work/www"

# The content: random bytes on disk, so both servers read the same files.
head -c "$size" /dev/urandom >"$work/www/big.bin"
for i in 1 2 3 4 5; do head -c "$small" /dev/urandom >"$work/www/f$i.bin"; done
declare -A md5
for f in "$work"/www/*.bin; do md5[$(basename "$f")]=$(md5sum "$f" | cut -d' ' -f1); done

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

"$bin/tools/test_server/launcher_test_server" --root "$work/www" >"$work/server.out" &
server_pid=$!
for _ in $(seq 1 600); do
  grep -q '^port ' "$work/server.out" 2>/dev/null && break
  sleep 0.1
done
test_port=$(awk '/^port /{print $2}' "$work/server.out")
[[ -n "$test_port" ]] || { echo "test server did not start" >&2; exit 1; }

nginx_port=$(free_port)
cat >"$work/nginx/nginx.conf" <<EOF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events {}
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/www;
  }
}
EOF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" &
nginx_pid=$!
for _ in $(seq 1 100); do
  curl -sf -o /dev/null -r 0-0 "http://127.0.0.1:$nginx_port/f1.bin" && break
  sleep 0.1
done

# run NAME COMMAND...: times the command three times and keeps the fastest
# run; sets wall_NAME and cpu_NAME (user + system seconds of that run).
run() {
  local name=$1; shift
  local best_wall="" best_cpu="" t wall user sys cpu
  for _ in 1 2 3; do
    rm -rf "$work/out" && mkdir -p "$work/out"
    t=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>"$work/$name.err"; } 2>&1 ) || {
      echo "$name failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
    read -r wall user sys <<<"$t"
    cpu=$(echo "$user + $sys" | bc -l)
    if [[ -z "$best_wall" ]] || (( $(echo "$wall < $best_wall" | bc -l) )); then
      best_wall=$wall
      best_cpu=$cpu
    fi
  done
  printf -v "wall_$name" '%s' "$best_wall"
  printf -v "cpu_$name" '%s' "$best_cpu"
}

# curl then md5sum: writes the expected digests, fetches, checks.
curl_then_md5sum() {
  local base=$1; shift
  local args=() sums="$work/out/sums"
  for f in "$@"; do
    args+=(-o "$work/out/$f" "$base$f")
    echo "${md5[$f]}  $work/out/$f" >>"$sums"
  done
  curl -sS --parallel --parallel-max 5 "${args[@]}" && md5sum -c --quiet "$sums"
}

aria2_checked() {
  local base=$1; shift
  local list="$work/out/aria2.list"
  for f in "$@"; do
    printf '%s\n  out=%s\n  checksum=md5=%s\n' "$base$f" "$f" "${md5[$f]}" >>"$list"
  done
  aria2c -q -x5 -s5 -j5 --file-allocation=none --allow-overwrite=true -d "$work/out" -i "$list"
}

report() {
  local name=$1 wall=$2 cpu=$3 mib=$4
  printf '  %-20s %9.1f MiB/s %8.2f s wall %8.2f s CPU\n' "$name" \
    "$(echo "$mib / $wall" | bc -l)" "$wall" "$cpu"
}

# bench SERVER BASE FILE...
bench() {
  local server=$1 base=$2; shift 2
  local files=("$@") driver_args=() curl_args=() bytes=0 f
  for f in "${files[@]}"; do
    local n
    n=$(stat -c %s "$work/www/$f")
    bytes=$((bytes + n))
    driver_args+=("$f" "$work/out/$f" "${md5[$f]}" "$n")
    curl_args+=(-o "$work/out/$f" "$base$f")
  done
  run manager "$bin/bench/services/services_fetch_driver" "$base" "${driver_args[@]}"
  local read_back
  read_back=$(sed -n 's/.*, \([0-9]*\) read back for the hash/\1/p' "$work/manager.err")
  run curl curl -sS --parallel --parallel-max 5 "${curl_args[@]}"
  run curlmd5 curl_then_md5sum "$base" "${files[@]}"
  run aria2 aria2_checked "$base" "${files[@]}"
  local mib
  mib=$(echo "$bytes / 1048576" | bc -l)
  echo "$server: ${#files[@]} file(s), $(printf '%.0f' "$mib") MiB in all (best of three runs each)"
  report "download manager" "$wall_manager" "$cpu_manager" "$mib"
  printf '    (its hash read %.0f MiB back from the disk in the last run; the rest\n' \
    "$(echo "${read_back:-0} / 1048576" | bc -l)"
  echo "     was hashed from the receive buffer)"
  report "curl" "$wall_curl" "$cpu_curl" "$mib"
  report "curl, then md5sum" "$wall_curlmd5" "$cpu_curlmd5" "$mib"
  report "aria2c -x5 -s5" "$wall_aria2" "$cpu_aria2" "$mib"
  echo "  time ratio, peer / manager (above 1: the manager is faster):"
  printf '    vs curl             %.2f\n' "$(echo "$wall_curl / $wall_manager" | bc -l)"
  printf '    vs curl, md5sum     %.2f\n' "$(echo "$wall_curlmd5 / $wall_manager" | bc -l)"
  printf '    vs aria2c           %.2f\n' "$(echo "$wall_aria2 / $wall_manager" | bc -l)"
  echo "  CPU ratio, peer / manager (above 1: the manager uses less CPU):"
  printf '    vs curl, md5sum     %.2f\n' "$(echo "$cpu_curlmd5 / $cpu_manager" | bc -l)"
}

for server in "test server" nginx; do
  if [[ $server == nginx ]]; then base="http://127.0.0.1:$nginx_port/"; else base="http://127.0.0.1:$test_port/"; fi
  bench "$server" "$base" big.bin
  bench "$server" "$base" f1.bin f2.bin f3.bin f4.bin f5.bin
done
