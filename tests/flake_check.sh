#!/usr/bin/env bash
# Runs the engine-level suite again and again while two busy loops keep
# every core loaded, and counts the rounds that failed: a test that only
# passes on an idle machine shows up here.
#   tests/flake_check.sh [build directory] [rounds]
set -uo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-30}
[ -f "$build/CTestTestfile.cmake" ] || { echo "no configured build in $build" >&2; exit 2; }
cores=$(nproc)

hogs=()
stop_hogs() { [ ${#hogs[@]} -eq 0 ] || kill "${hogs[@]}" 2>/dev/null; }
trap stop_hogs EXIT
trap 'exit 130' INT TERM
for _ in $(seq "$cores"); do
  # A shell loop that never sleeps: one core each.
  bash -c 'while :; do :; done' &
  hogs+=($!)
done

logs=$(mktemp -d /tmp/flake-check-XXXXXX)
failed=0
resent=0
start=$SECONDS
for round in $(seq "$rounds"); do
  if (cd "$build" && ctest -R '^e2e\.' -j"$cores" --timeout 120 --output-on-failure) >"$logs/round-$round.log" 2>&1; then
    echo "round $round: passed"
  else
    failed=$((failed + 1))
    echo "round $round: FAILED ($(grep -E '^\s+[0-9]+ - ' "$logs/round-$round.log" | sed 's/^ *[0-9]* - //' | tr '\n' ' '))"
  fi
  # Real X input that the harness had to send again: passing, but counted.
  cp "$build/Testing/Temporary/LastTest.log" "$logs/round-$round.full.log"
  resent=$((resent + $(grep -c '^Sending again' "$logs/round-$round.full.log")))
done
echo "$rounds rounds in $((SECONDS - start)) s under $cores busy loops: $((rounds - failed)) passed, $failed failed;" \
  "real X steps sent again: $resent (logs: $logs)"
[ "$failed" -eq 0 ]
