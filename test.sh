#!/usr/bin/env bash
# Builds the engine and runs every test headless (each engine-level test
# starts its own Xvfb with Mesa's software OpenGL), then runs the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh build test

# No sound card is needed: OpenAL plays into nothing.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  echo "==== Tests: $dir ===="
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 300)
}

run_suite build
run_suite build-asan -DMORVATHEN_SANITIZE=ON -DMORVATHEN_BENCH=OFF
