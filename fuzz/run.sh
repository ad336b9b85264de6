#!/bin/bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz and runs each
# for the given number of seconds (default 60); further arguments name the
# targets to run (default all), e.g. fuzz/run.sh 60 fuzz_shader. Findings are written to
# build-fuzz/fuzz/artifacts/<target>/; replay one with build-fuzz/fuzz/<target> FILE.
set -euo pipefail
seconds=${1:-60}
shift || true
targets=("$@")
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DMORVATHEN_FUZZ=ON \
  -DMORVATHEN_TESTS=OFF -DMORVATHEN_BENCH=OFF -DMORVATHEN_SANITIZE=OFF >/dev/null

status=0
for source in "$root"/fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  [ "$name" = replay_main ] && continue
  if [ ${#targets[@]} -gt 0 ] && [[ ! " ${targets[*]} " =~ " $name " ]]; then
    continue
  fi
  cmake --build "$build" -j"$(nproc)" --target "$name"
  corpus=$build/fuzz/corpus/$name
  artifacts=$build/fuzz/artifacts/$name
  seeds=()
  [ -d "$build/fuzz/seeds/$name" ] && seeds=("$build/fuzz/seeds/$name")
  mkdir -p "$corpus" "$artifacts"
  echo "== $name: fuzzing for ${seconds}s"
  # New inputs go to the first directory, the corpus kept between runs.
  if "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}"; then
    echo "== $name: nothing found"
  else
    echo "== $name: FOUND a problem, input in $artifacts/"
    status=1
  fi
done
exit $status
