#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds, and starts the program.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/build.sh"
if [ -x "$BUILD/bin/Dravolinte" ]; then
  cd "$BUILD/bin"
  exec ./Dravolinte "$@"
fi
echo "The program itself is not built yet; the libraries, tests and tools are in $BUILD."
