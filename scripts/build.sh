#!/usr/bin/env bash
# Installs what is missing, configures once and builds everything (program, tests, benchmarks),
# or only the named targets and what they need: scripts/build.sh [target...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/install-deps.sh"
# Let ccache share objects between clones in different folders (CI builds a fresh clone).
export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
GEN=()
if command -v ninja >/dev/null; then GEN=(-G Ninja); fi
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
fi
TARGETS=()
if [ $# -gt 0 ]; then TARGETS=(--target "$@"); fi
cmake --build "$BUILD" -j "$(nproc)" "${TARGETS[@]}"
