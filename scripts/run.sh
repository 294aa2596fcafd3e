#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds, and starts the program,
# under a virtual display (Xvfb) when there is no display.
#
#   scripts/run.sh [program arguments]
#   scripts/run.sh --with-simulator [program arguments]
#       also starts the simulated machine controller beside the program: it
#       announces itself on this computer, and the program finds and links it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
BIN="$BUILD/bin"

# Processes running this build's program, by their ids.
program_pids() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$BIN/dravolinte" ] && echo "${p#/proc/}"
  done
  return 0
}

# Runs the program in its folder and, when it restarts itself (a detached new
# copy, e.g. after it switched to a controller's machine version), waits for
# that copy too. Ctrl+C or TERM ends whichever copy runs.
run_program() {
  cd "$BIN"
  trap 'for p in $(program_pids); do kill -TERM "$p" 2>/dev/null || true; done' INT TERM
  local rc=0
  ./dravolinte "$@" || rc=$?
  while [ -n "$(program_pids)" ]; do sleep 1; done
  return "$rc"
}

if [ "${DRAVO_RUN_INNER:-}" = 1 ]; then
  run_program "$@"
  exit $?
fi

SIMULATOR=0
ARGS=()
for arg in "$@"; do
  case "$arg" in
    --with-simulator) SIMULATOR=1 ;;
    *) ARGS+=("$arg") ;;
  esac
done

# The program and the simulator only (with the presets and translations they
# load at run time); the tests and benchmarks are left to scripts/test.sh.
"$ROOT/scripts/build.sh" Dravolinte simcontroller
if [ ! -x "$BIN/dravolinte" ]; then
  echo "The program was not built; see the build output above." >&2
  exit 1
fi

SIM_PID=""
stop_simulator() {
  if [ -n "$SIM_PID" ]; then
    kill -TERM "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
}
if [ "$SIMULATOR" = 1 ]; then
  # On a loopback address of its own; it announces itself to 127.0.0.1 every second.
  "$BIN/simcontroller" --listen 127.0.0.2 --announce-interval 1000 --ignore-stdin \
    --transcript "$BUILD/simcontroller.transcript" </dev/null >/dev/null &
  SIM_PID=$!
  trap stop_simulator EXIT
  echo "simulated controller on 127.0.0.2 (transcript: $BUILD/simcontroller.transcript)"
fi

# The program writes its log in the folder it runs in.
echo "log: $BIN/log/output$(date +%Y-%m-%d).log"
rc=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: running under Xvfb"
  DRAVO_RUN_INNER=1 xvfb-run -a "$0" "${ARGS[@]}" || rc=$?
else
  DRAVO_RUN_INNER=1 "$0" "${ARGS[@]}" || rc=$?
fi
exit "$rc"
