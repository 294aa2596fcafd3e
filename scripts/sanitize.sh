#!/usr/bin/env bash
# Builds the project with clang and a sanitizer into a folder of its own, then
# runs the test suite there (the fuzz tests, sanitized builds of their own,
# are left to scripts/test.sh).
#
#   scripts/sanitize.sh asan [ctest arguments]   AddressSanitizer + UndefinedBehaviorSanitizer, build-asan/
#   scripts/sanitize.sh tsan [ctest arguments]   ThreadSanitizer, build-tsan/
#
# Qt comes from Debian, not built with ThreadSanitizer, so the hand-offs inside
# its mutexes, wait conditions and event queues are invisible to it:
# tools/sanitizers/TsanShim.cpp, preloaded into every test, tells
# ThreadSanitizer about them, and tools/sanitizers/tsan-suppressions.txt names
# the reports that lie wholly inside Qt and the libraries below it
# (tools/sanitizers/lsan-suppressions.txt the leaks of those libraries). Before the
# suite, a race planted on purpose (tools/sanitizers/PlantedRace.cpp) must be
# reported with the shim loaded, or the run fails.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
KIND="${1:-}"
case "$KIND" in
  asan) FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined" ;;
  tsan) FLAGS="-fsanitize=thread" ;;
  *) echo "usage: $0 asan|tsan [ctest arguments]" >&2; exit 2 ;;
esac
shift
BUILD="${BUILD_DIR:-$ROOT/build-$KIND}"
# Builds and tests at once: all cores unless JOBS says fewer (a shared machine).
JOBS="${JOBS:-$(nproc)}"
"$ROOT/scripts/install-deps.sh"
export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
GEN=()
if command -v ninja >/dev/null; then GEN=(-G Ninja); fi
if [ -f "$BUILD/CMakeCache.txt" ]; then GEN=(); fi
# The suite runs 5-15 times slower sanitized: each test's time-out is five times its own.
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$FLAGS -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="$FLAGS" \
  -DCMAKE_SHARED_LINKER_FLAGS="$FLAGS" -DDRAVO_TEST_TIMEOUT_SCALE=5 >/dev/null
cmake --build "$BUILD" -j "$JOBS"

# Every process of the run writes its reports here, the helper programs the
# tests start included (the simulator, the program), whose error output the
# tests keep to themselves.
REPORTS="$BUILD/sanitizer-reports"
rm -rf "$REPORTS"
mkdir -p "$REPORTS"

TOOLS="$ROOT/tools/sanitizers"
if [ "$KIND" = tsan ]; then
  # The shim is built plainly (no sanitizer of its own): preloaded into helper
  # programs that are not sanitized (the broker, the shell) it only forwards.
  mkdir -p "$BUILD/tsan-shim"
  clang++ -std=c++17 -O2 -g -fPIC -shared -Wall -Wextra -o "$BUILD/tsan-shim/libtsanshim.so" "$TOOLS/TsanShim.cpp" -ldl
  export LD_PRELOAD="$BUILD/tsan-shim/libtsanshim.so"
  export TSAN_OPTIONS="suppressions=$TOOLS/tsan-suppressions.txt second_deadlock_stack=1 history_size=4 halt_on_error=0 exitcode=66 log_path=$REPORTS/tsan"
  # A shim that told ThreadSanitizer of hand-offs that are none would hide our
  # races: a race planted on purpose must still be reported with it loaded.
  PLANTED="$BUILD/planted-race"
  rm -rf "$PLANTED"
  mkdir -p "$PLANTED"
  PLANTED_EXIT=0
  TSAN_OPTIONS="$TSAN_OPTIONS log_path=$PLANTED/tsan" "$BUILD/bin/tsan_planted_race" >/dev/null 2>&1 || PLANTED_EXIT=$?
  if [ "$PLANTED_EXIT" -eq 66 ] && grep -qs "WARNING: ThreadSanitizer: data race" "$PLANTED"/tsan*; then
    echo "tsan: the planted race is reported with the shim loaded"
  else
    echo "tsan: the planted race was NOT reported (exit $PLANTED_EXIT): the shim hides races" >&2
    PLANTED_FAILED=1
  fi
else
  # Stacks unwound in full: the leak suppressions name frames inside the
  # libraries, which keep no frame pointers for the fast unwinding.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0:log_path=$REPORTS/asan"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$REPORTS/ubsan"
  export LSAN_OPTIONS="suppressions=$TOOLS/lsan-suppressions.txt:print_suppressions=0"
fi
cd "$BUILD"
STATUS=0
[ -z "${PLANTED_FAILED:-}" ] || STATUS=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" -LE fuzz "$@" || STATUS=$?
if [ -n "$(ls -A "$REPORTS")" ]; then
  for report in "$REPORTS"/*; do
    echo "==== $report"
    cat "$report"
  done
  echo "sanitizer reports: $(ls "$REPORTS" | wc -l) files in $REPORTS" >&2
  [ "$STATUS" -ne 0 ] || STATUS=1
fi
exit "$STATUS"
