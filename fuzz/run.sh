#!/bin/bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz and runs each
# for the given number of seconds (default 60), one after another; further
# arguments name the targets to run, in that order (default all), e.g.
# fuzz/run.sh 60 fuzz_shader. Findings are written to
# build-fuzz/fuzz/artifacts/<target>/; replay one with build-fuzz/fuzz/<target> FILE.
# Each run's output is kept in build-fuzz/fuzz/logs/<target>.log; a table of
# executions, edges covered, corpus size and findings per target ends the output.
set -euo pipefail
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*.cpp; do
    name=$(basename "$source" .cpp)
    [ "$name" != replay_main ] && targets+=("$name")
  done
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DMORVATHEN_FUZZ=ON \
  -DMORVATHEN_TESTS=OFF -DMORVATHEN_BENCH=OFF -DMORVATHEN_SANITIZE=OFF >/dev/null

# The machine is shared: at most two compile jobs.
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
status=0
summary=()
for name in "${targets[@]}"; do
  if [ ! -f "$root/fuzz/$name.cpp" ]; then
    echo "no fuzz target $name" >&2
    exit 2
  fi
  cmake --build "$build" -j"$jobs" --target "$name"
  corpus=$build/fuzz/corpus/$name
  artifacts=$build/fuzz/artifacts/$name
  log=$build/fuzz/logs/$name.log
  seeds=()
  [ -d "$build/fuzz/seeds/$name" ] && seeds=("$build/fuzz/seeds/$name")
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  before=$(find "$artifacts" -type f | wc -l)
  echo "== $name: fuzzing for ${seconds}s"
  # New inputs go to the first directory, the corpus kept between runs. The
  # seeds all stay in the corpus: inside an uninstrumented library (libpng,
  # libjpeg, zlib) two images of different kinds look alike to the fuzzer.
  if "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 -keep_seed=1 \
      -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" 2>&1 | tee "$log"; then
    echo "== $name: nothing found"
  else
    echo "== $name: FOUND a problem, input in $artifacts/"
    status=1
  fi
  # The last status line ("#N DONE cov: E ft: F corp: C/S ...", or the last
  # before a crash) has the coverage; the final statistics the executions.
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  units=$(grep -o 'corp: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  found=$(( $(find "$artifacts" -type f | wc -l) - before ))
  summary+=("$(printf '%-24s %12s %8s %8s %8s %8s' "$name" "${executions:-?}" "${edges:-?}" \
    "${units:-?}" "$(find "$corpus" -type f | wc -l)" "$found")")
done

echo
# corpus: inputs the run kept (seeds included); files: the corpus directory.
printf '%-24s %12s %8s %8s %8s %8s\n' target executions edges corpus files findings
printf '%s\n' "${summary[@]}"
exit $status
