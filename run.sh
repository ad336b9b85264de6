#!/usr/bin/env bash
# Builds the engine, lays out its data directory beside the executable and
# starts the bundled game. Options are passed on: ./run.sh -width 800 -height 600
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh build run

[ -f build/CMakeCache.txt ] || cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target morvathen
# Copies newer files only, so settings the engine saved there stay.
mkdir -p build/data
cp -r -u data/. build/data/

if [ -z "${DISPLAY:-}" ]; then
  echo "No display found: running the game under Xvfb (a virtual screen)."
  source tools/virtual-display.sh
  start_virtual_display || { echo "Xvfb did not start." >&2; exit 1; }
  # Not exec: the virtual display is stopped when the game ends.
  status=0
  build/morvathen "$@" || status=$?
  exit $status
fi
exec build/morvathen "$@"
