#!/bin/bash
# Builds the benchmarks in Release and runs them, then reports each
# "<case>/<side>" figure against its "<case>/baseline" as a ratio.
# Extra arguments go to every benchmark executable (e.g. --benchmark_filter=print).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVATHEN_TESTS=OFF \
  -DMORVATHEN_BENCH=ON -DMORVATHEN_SANITIZE=OFF -DMORVATHEN_FUZZ=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

# Benchmarks that draw need a display; without one they get a virtual one.
launcher=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  launcher=(xvfb-run -a -s "-screen 0 640x480x24")
fi

results=()
for source in "$root"/bench/*.cpp; do
  name=$(basename "$source" .cpp)
  json=$build/$name.json
  "${launcher[@]}" "$build/bench/$name" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json "$@"
  results+=("$json")
done

python3 - "${results[@]}" <<'PY'
import json, sys

def seconds(run, key):
    # Counters such as per_line or per_event are already in seconds; times are in time_unit.
    if key != "real_time":
        return run[key]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    return run[key] * scale

def show(value):
    for unit, scale in (("ns", 1e-9), ("us", 1e-6), ("ms", 1e-3)):
        if value < 1000 * scale:
            return f"{value / scale:.1f} {unit}"
    return f"{value:.2f} s"

runs = {}
for path in sys.argv[1:]:
    text = open(path).read()
    if not text.strip():
        continue  # a filter matched nothing in this executable
    for run in json.loads(text)["benchmarks"]:
        # The median of the repetitions, or the single run without repetitions.
        if run.get("aggregate_name", "median") == "median":
            runs[run["run_name"]] = run

print(f"\n{'case/side':<32} {'measured':>10}     {'baseline':>10}     {'ratio':>9}")
for name, measured in sorted(runs.items()):
    case, _, side = name.rpartition("/")
    baseline = runs.get(case + "/baseline")
    if side == "baseline" or baseline is None:
        continue
    # A per_<item> counter (per_line, per_shader) is the time per item;
    # per_family_instance_index is the library's own field.
    key = next((k for k in measured if k.startswith("per_") and k != "per_family_instance_index"),
               "real_time")
    unit = key.replace("_", " ") if key != "real_time" else "per call"
    m, b = seconds(measured, key), seconds(baseline, key)
    print(f"{name:<32} {show(m):>10}     {show(b):>10}     {m / b:8.2f}x   ({unit})")
PY

# Whole-engine timings with the starter game: start-up and video restart.
"${launcher[@]}" python3 "$root/bench/startup.py" "$build/morvathen" "$build/data" "$root/data" \
  "$build/bench/bare_window"
