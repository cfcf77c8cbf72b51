#!/usr/bin/env bash
# The launcher program's start and rest, measured against the local
# publisher: the time from starting launcher.exe to its main window's first
# frame handed to the X server (goal <= 150 ms) and its resident memory once
# its flows have settled at rest (goal <= 40 MB), minimum and median of the
# rounds; the first start (fonts installed, folders made) is shown apart.
# The publisher serves this very program as the launcher, so that its check
# finds it current; the game is installed first by the flow demo, so every
# round is a player's ordinary start: the launcher checks itself and the
# game and rests at idle.
# The browser engine is left out (the goals are without it): the launcher
# starts it only when /usr/lib/chromium/chromium-headless-shell is an
# executable file, so each round runs in a private mount namespace
# (unshare) where an empty file is mounted over that path. With --browser
# the engine is left in place and started as it would be.
# Runs under a virtual X server (1920x1080) when DISPLAY is unset.
#   bench/windows/startup_bench.sh [--browser] [rounds, default 10]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
browser=no
rounds=10
for arg in "$@"; do
  case $arg in
    --browser) browser=yes ;;
    *) rounds=$arg ;;
  esac
done

if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$root/bench/windows/startup_bench.sh" "$@"
fi

cmake --preset release >/dev/null
cmake --build --preset release --target launcher launcher_publisher launcher_flow_demo >/dev/null
build=$root/build/release
launcher_bin=$build/project/Launcher/launcher.exe
launcher_version=1.0.1
engine=/usr/lib/chromium/chromium-headless-shell

work=$(mktemp -d "${TMPDIR:-/tmp}/launcher-startup.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The launcher's own folders, and its built-in servers sent to a closed
# local port (as the end-to-end tests do): only the local publisher answers.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run LANG=C
export http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy=127.0.0.1,localhost
unset HTTPS_PROXY ALL_PROXY all_proxy NO_PROXY LAUNCHER_UI_DUMP
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$work/app/save"
chmod 700 "$XDG_RUNTIME_DIR"

# wait_for FILE PATTERN PID: until the line appears (the process must live).
wait_for() {
  for _ in $(seq 1 600); do
    grep -q "$2" "$1" && return 0
    kill -0 "$3" 2>/dev/null || { echo "process $3 ended early:"; cat "$1"; exit 1; }
    sleep 0.1
  done
  echo "timed out waiting for '$2' in $1"; exit 1
}

"$build/tools/publisher/launcher_publisher" --content "$work/content" --port 0 --game-version 10077_0_1 \
  --launcher-version "$launcher_version" --launcher-program "$launcher_bin" \
  --setting "$work/app/save/setting.json" --log "$work/requests.jsonl" >"$work/publisher.out" &
pids+=($!)
wait_for "$work/publisher.out" '^base ' "${pids[-1]}"
base=$(sed -n 's/^base //p' "$work/publisher.out")
cp "$work/content/launcher/$launcher_version/launcher_version_map.txt" "$work/app/"
cp "$launcher_bin" "$work/app/launcher.exe"
"$build/tools/flow_demo/launcher_flow_demo" --program "$work/app" --echo "${base}ip" \
  --expect-version 10077_0_1 >"$work/flow.out" || { cat "$work/flow.out"; echo "the game was not installed"; exit 1; }
echo "publisher at $base; game 10077_0_1 installed in $work/app"

measure=(python3 "$root/bench/windows/startup_measure.py" "$work/app/launcher.exe" "$rounds")
if [[ $browser == yes ]]; then
  echo "browser engine: $([[ -x $engine ]] && echo "started from $engine" || echo "not installed")"
  "${measure[@]}"
else
  : >"$work/no_engine"
  cat >"$work/hide_engine.sh" <<HIDE
mount --bind "$work/no_engine" "$engine" || { echo "cannot hide the browser engine" >&2; exit 97; }
exec "\$@"
HIDE
  echo "browser engine: left out (an empty file mounted over $engine)"
  if [[ -e $engine ]]; then
    userns=()
    [[ $(id -u) -eq 0 ]] || userns=(--map-root-user)
    unshare "${userns[@]}" --mount --propagation private "${measure[@]}" bash "$work/hide_engine.sh"
  else
    "${measure[@]}"
  fi
fi
