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
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/morvathen "$@"
fi
exec build/morvathen "$@"
