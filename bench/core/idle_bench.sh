#!/usr/bin/env bash
# The launcher at rest beside an idle aria2c with its RPC server open: the
# flow demo installs the game from the local publisher and then stays at
# rest (the idle state, its poll and page refresh due only minutes later);
# aria2c waits for RPC requests. Both are measured over the same windows:
# CPU as a share of one core and wakeups a second (context switches of all
# threads), minimum and median of the rounds, and the ratio of the launcher
# to aria2c. Installs aria2 when missing.
#   bench/core/idle_bench.sh [seconds a round, default 10] [rounds, default 5]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
seconds=${1:-10}
rounds=${2:-5}

if ! command -v aria2c >/dev/null; then
  if [[ $(id -u) -eq 0 ]]; then apt-get install -y aria2 >/dev/null
  else sudo apt-get install -y aria2 >/dev/null; fi
fi

cmake --preset release >/dev/null
cmake --build --preset release --target launcher_flow_demo launcher_publisher >/dev/null
build=$root/build/release
launcher_version=1.0.1

work=$(mktemp -d "${TMPDIR:-/tmp}/launcher-idle.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$work/app/save" "$work/aria2"
chmod 700 "$XDG_RUNTIME_DIR"

# wait_for FILE PATTERN PID: until the line appears (the process must live).
wait_for() {
  for _ in $(seq 1 1200); do
    grep -q "$2" "$1" && return 0
    kill -0 "$3" 2>/dev/null || { echo "process $3 ended early:"; cat "$1"; exit 1; }
    sleep 0.1
  done
  echo "timed out waiting for '$2' in $1"; exit 1
}

"$build/tools/publisher/launcher_publisher" --content "$work/content" --port 0 --game-version 10077_0_1 \
  --launcher-version "$launcher_version" --setting "$work/app/save/setting.json" \
  --log "$work/requests.jsonl" >"$work/publisher.out" &
pids+=($!)
wait_for "$work/publisher.out" '^base ' "${pids[-1]}"
base=$(sed -n 's/^base //p' "$work/publisher.out")
cp "$work/content/launcher/$launcher_version/launcher.exe" \
   "$work/content/launcher/$launcher_version/launcher_version_map.txt" "$work/app/"

"$build/tools/flow_demo/launcher_flow_demo" --program "$work/app" --echo "${base}ip" --stay >"$work/flow.out" &
launcher=$!
pids+=("$launcher")
wait_for "$work/flow.out" 'settled at idle' "$launcher"
echo "launcher (flow demo, pid $launcher) settled at idle: the game is installed"

rpc_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
aria2c --enable-rpc --rpc-listen-port="$rpc_port" --rpc-listen-all=false --dir "$work/aria2" --quiet=true \
  --no-conf=true >/dev/null 2>&1 &
aria=$!
pids+=("$aria")
sleep 2  # both past their start-up before the first round
kill -0 "$aria" || { echo "aria2c did not start"; exit 1; }

echo "measuring ${rounds} rounds of ${seconds} s"
python3 bench/core/idle_measure.py "$seconds" "$rounds" "launcher at rest=$launcher" "aria2c --enable-rpc=$aria"
