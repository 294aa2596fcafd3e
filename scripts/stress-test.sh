#!/usr/bin/env bash
# Runs the whole test suite on an oversubscribed machine: builds first, then
# starts twice as many busy loops as there are cores and runs ctest beside
# them. The loops end with this script however it ends (they also watch it,
# so a kill -9 of the script ends them within a moment).
#
#   scripts/stress-test.sh [ctest arguments]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/build.sh"

HOGS=()
stop_hogs() {
  local pid
  for pid in "${HOGS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${HOGS[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_hogs EXIT
trap 'exit 130' INT TERM

hog() {
  local i
  while [ -d "/proc/$1" ]; do
    for ((i = 0; i < 200000; i++)); do :; done
  done
}
COUNT=$((2 * $(nproc)))
for ((n = 0; n < COUNT; n++)); do
  hog $$ &
  HOGS+=($!)
done
echo "stress: $COUNT busy loops beside the suite"

cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
