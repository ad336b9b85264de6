#!/bin/bash
# Builds the benchmarks in Release and runs them, then reports each
# "<case>/<side>" figure against its "<case>/baseline" as a ratio.
# Extra arguments go to every benchmark executable (e.g. --benchmark_filter=print).
# A case that errors is reported as such and the rest still run; the exit
# status is then non-zero.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVATHEN_TESTS=OFF \
  -DMORVATHEN_BENCH=ON -DMORVATHEN_SANITIZE=OFF -DMORVATHEN_FUZZ=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

# Benchmarks that draw need a display; without one the whole run shares one
# virtual display.
source "$root/tools/virtual-display.sh"
if [ -z "${DISPLAY:-}" ] && ! start_virtual_display; then
  echo "Xvfb did not start: the benchmarks that draw will report errors" >&2
fi

# A benchmark that crashes or fails is reported and the run goes on.
failed=0
results=()
for source in "$root"/bench/*.cpp; do
  name=$(basename "$source" .cpp)
  json=$build/$name.json
  rm -f "$json"
  if ! "$build/bench/$name" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
      --benchmark_out="$json" --benchmark_out_format=json "$@"; then
    echo "$name failed" >&2
    failed=1
  fi
  results+=("$json")
done

if ! python3 - "${results[@]}" <<'PY'
import json, sys

failed = False

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
errors = {}
for path in sys.argv[1:]:
    try:
        text = open(path).read()
    except OSError:
        continue  # the executable ended before writing; run.sh said so
    if not text.strip():
        continue  # a filter matched nothing in this executable
    try:
        benchmarks = json.loads(text)["benchmarks"]
    except (ValueError, KeyError):
        print(f"{path}: unreadable results")
        failed = True
        continue
    for run in benchmarks:
        if run.get("error_occurred"):
            errors[run["run_name"]] = run.get("error_message", "error")
        # The median of the repetitions, or the single run without repetitions.
        elif run.get("aggregate_name", "median") == "median":
            runs[run["run_name"]] = run

print(f"\n{'case/side':<32} {'measured':>10}     {'baseline':>10}     {'ratio':>9}")
for name in sorted(set(runs) | set(errors)):
    case, _, side = name.rpartition("/")
    base_name = case + "/baseline"
    if side == "baseline" or (base_name not in runs and base_name not in errors):
        continue
    error = errors.get(name) or errors.get(base_name)
    if error:
        which = "baseline" if name not in errors else "case"
        print(f"{name:<32} {'error':>10}     ({which}: {error})")
        failed = True
        continue
    measured, baseline = runs[name], runs[base_name]
    # A per_<item> counter (per_line, per_shader) is the time per item;
    # per_family_instance_index is the library's own field.
    key = next((k for k in measured if k.startswith("per_") and k != "per_family_instance_index"),
               "real_time")
    unit = key.replace("_", " ") if key != "real_time" else "per call"
    m, b = seconds(measured, key), seconds(baseline, key)
    ratio = f"{m / b:8.2f}x" if b > 0 else f"{'n/a':>9}"
    print(f"{name:<32} {show(m):>10}     {show(b):>10}     {ratio}   ({unit})")
sys.exit(1 if failed else 0)
PY
then
  failed=1
fi

# Whole-engine timings with the starter game: start-up and video restart;
# then the frame time of a lit room against its base pass alone.
python3 "$root/bench/startup.py" "$build/morvathen" "$build/data" "$root/data" \
  "$build/bench/bare_window" || failed=1
python3 "$root/bench/scene.py" "$build/morvathen" "$build/data" "$root/data" "$build/mapc" || failed=1
exit "$failed"
