#!/usr/bin/env bash
# Builds one fuzz target with clang into BUILD_DIR and runs it for SECONDS.
# Usage: run_fuzz.sh BUILD_DIR [SECONDS] [TARGET]
# TARGET is a folder here holding a CMake project that builds fuzz_TARGET, its
# seeds in TARGET/seeds, optionally the largest input in TARGET/max_len
# (default 4096) and a dictionary of tokens in TARGET/dict; it defaults to
# framecodec. Any crash, leak, sanitizer report or failed check ends the run
# with a non-zero status, and so fails the test. Inputs that failed before
# are replayed first: those kept as seeds (TARGET/seeds) and those this build
# found (BUILD_DIR/artifacts).
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
BUILD="$1"
SECONDS_TO_RUN="${2:-25}"
TARGET="${3:-framecodec}"
MAX_LEN="$(cat "$HERE/$TARGET/max_len" 2>/dev/null || echo 4096)"
GEN=()
if command -v ninja >/dev/null; then GEN=(-G Ninja); fi

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$HERE/$TARGET" -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)"

# New inputs go to the build's own corpus; the checked-in seeds are only read.
mkdir -p "$BUILD/corpus" "$BUILD/artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
DICT=()
if [ -f "$HERE/$TARGET/dict" ]; then DICT=(-dict="$HERE/$TARGET/dict"); fi
exec "$BUILD/fuzz_$TARGET" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -rss_limit_mb=2048 \
  -timeout=10 -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/" "${DICT[@]}" \
  "$BUILD/corpus" "$HERE/$TARGET/seeds" "$BUILD/artifacts"
