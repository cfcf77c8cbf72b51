#!/usr/bin/env bash
# The launcher's main job, end to end on this machine: sets up, builds the
# release preset, starts the local publisher with its generated game, and runs
# the launcher's update flow against it in a temporary folder:
#   1. the publisher serves game 10077_0_1: the launcher checks itself, the
#      game is installed;
#   2. the publisher serves 10077_0_2 (and 10077_0_3 as the pre-download): the
#      game is updated through patches, started (the stand-in game records how
#      it was started), and the idle poll reports the pre-download.
# The flow runs without windows and tells what it does. With an X display
# the launcher program itself is then started against the publisher, showing
# its window, until the window is closed or Ctrl-C.
# Everything happens in a temporary folder (HOME and the XDG folders too);
# the publisher is stopped and the folder removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release

build=$root/build/release
publisher_bin=$build/tools/publisher/launcher_publisher
flow_bin=$build/tools/flow_demo/launcher_flow_demo
launcher_bin=$build/project/Launcher/launcher.exe
launcher_version=1.0.1

work=$(mktemp -d "${TMPDIR:-/tmp}/launcher-demo.XXXXXX")
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$work/app/save"
chmod 700 "$XDG_RUNTIME_DIR"

publisher_pid=
stop_publisher() {
  if [[ -n "$publisher_pid" ]]; then
    kill "$publisher_pid" 2>/dev/null || true
    wait "$publisher_pid" 2>/dev/null || true
    publisher_pid=
  fi
}
cleanup() {
  stop_publisher
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# start_publisher GAME_VERSION PORT [OPTION...]: serves until stop_publisher;
# sets $base.
start_publisher() {
  : >"$work/publisher.out"
  "$publisher_bin" --content "$work/content" --port "$2" --game-version "$1" \
    --launcher-version "$launcher_version" --setting "$work/app/save/setting.json" \
    --log "$work/requests.jsonl" "${@:3}" >"$work/publisher.out" &
  publisher_pid=$!
  for _ in $(seq 1 300); do
    if grep -q '^base ' "$work/publisher.out"; then break; fi
    if ! kill -0 "$publisher_pid" 2>/dev/null; then echo "the publisher did not start" >&2; exit 1; fi
    sleep 0.1
  done
  base=$(sed -n 's/^base //p' "$work/publisher.out")
  port=$(sed -n 's/^port //p' "$work/publisher.out")
  [[ -n "$base" ]] || { echo "the publisher did not start" >&2; exit 1; }
}

fail() {
  echo >&2
  echo "DEMO FAILED: $1 (see the lines above)" >&2
  exit 1
}

transfers() { grep '"range":"bytes=' "$work/requests.jsonl" 2>/dev/null | grep -vc 'bytes=0-0"' || true; }

echo
echo "== 1. The publisher serves game 10077_0_1"
start_publisher 10077_0_1 0
echo "  publisher listening at $base"
# The launcher's own files as the publisher has them: its check finds it current.
cp "$work/content/launcher/$launcher_version/launcher.exe" \
   "$work/content/launcher/$launcher_version/launcher_version_map.txt" "$work/app/"
"$flow_bin" --program "$work/app" --echo "${base}ip" --expect-version 10077_0_1 ||
  fail "step 1 did not install 10077_0_1"
stop_publisher  # its request log is complete once it has stopped
echo "  (the install took $(transfers) ranged file requests)"

echo
echo "== 2. The publisher serves 10077_0_2, and 10077_0_3 as the pre-download"
start_publisher 10077_0_2 "$port"
before=$(transfers)
"$flow_bin" --program "$work/app" --echo "${base}ip" --play --expect-version 10077_0_2 ||
  fail "step 2 did not update to 10077_0_2 and start the game at that version"
stop_publisher
echo "  (the update and the pre-download took $(( $(transfers) - before )) ranged file requests: patches and new files)"

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  echo
  echo "== 3. The launcher's window against the publisher (close its window or press Ctrl-C)"
  # The publisher serves this very program as the launcher, so that its
  # self-check finds it current.
  start_publisher 10077_0_2 "$port" --launcher-program "$launcher_bin"
  mkdir -p "$work/window/save"
  cp "$launcher_bin" "$work/window/launcher.exe"
  # The installed game's settings (its folder) and the gate settings naming
  # this publisher; the launcher's own version map as the publisher serves it.
  cp "$work/app/save/"*.json "$work/window/save/"
  cp "$work/content/launcher/$launcher_version/launcher_version_map.txt" "$work/window/"
  "$work/window/launcher.exe" || true
  stop_publisher
else
  echo
  echo "(no X display: the launcher's window is not shown)"
fi
echo
echo "Done: the publisher is stopped and $work is removed."
