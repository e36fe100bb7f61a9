#!/usr/bin/env bash
# `make bench`: measures and writes docs/PERFORMANCE.md with its plots
# (docs/performance/*.png).
#   1. build/host/benchmarks --benchmark_format=json: the store at 1,000 to
#      100,000 bundles beside the JSON library alone;
#   2. scripts/bench-win.sh: frame cost, first frame and memory under Wine;
#   3. scripts/perf-report.py: the page, from the results of this run.
#
#   scripts/bench.sh [--skip-win] [BENCH-WIN ARGS...]
#
# The raw results stay in build/bench/ (host.json, bench-win.txt). A part that
# fails is reported as not measured in the page, and the exit code is non-zero.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

run_win=1
if [ "${1:-}" = "--skip-win" ]; then
  run_win=0
  shift
fi

OUT="$ROOT/build/bench"
mkdir -p "$OUT"
status=0

echo "== store: build/host/benchmarks"
if { cmake --preset host >/dev/null && cmake --build build/host -j2 --target benchmarks; } >"$OUT/build-host.log" 2>&1; then
  if build/host/benchmarks --benchmark_format=json >"$OUT/host.json"; then
    echo "  $(grep -c '"run_name"' "$OUT/host.json") measurements in build/bench/host.json"
  else
    status=1
  fi
else
  tail -n 40 "$OUT/build-host.log"
  echo "bench: the host benchmarks did not build (build/bench/build-host.log)"
  rm -f "$OUT/host.json"
  status=1
fi

if [ "$run_win" = 1 ]; then
  echo
  echo "== Windows: scripts/bench-win.sh $*"
  ./scripts/bench-win.sh "$@" 2>&1 | tee "$OUT/bench-win.txt"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # Its JSON lines (build/bench/paint.jsonl, start.jsonl) are what the report reads first.
  cat "$OUT/paint.jsonl" "$OUT/start.jsonl" >>"$OUT/bench-win.txt" 2>/dev/null
else
  : >"$OUT/bench-win.txt"
fi

echo
/usr/bin/python3 scripts/perf-report.py --host "$OUT/host.json" --win "$OUT/bench-win.txt" \
  --out "$ROOT/docs/PERFORMANCE.md" || status=1
exit "$status"
