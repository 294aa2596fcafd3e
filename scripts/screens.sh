#!/usr/bin/env bash
# Pictures of every scene of the user interface, in Chinese and in English,
# at 1280x800 and 1920x1080: scripts/screens.sh [OUT] (default: screens/).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
OUT="$(realpath -m "${1:-$ROOT/screens}")"
"$ROOT/scripts/build.sh" dravo_screens
"$BUILD/bin/dravo_screens" "$OUT"
"$BUILD/bin/dravo_screens" "$OUT" --lang en
echo "pictures in $OUT"
