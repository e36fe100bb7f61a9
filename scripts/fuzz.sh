#!/usr/bin/env bash
# Builds the libFuzzer targets (CMake preset "fuzz", clang) and runs each one
# for a while; `make fuzz` and the short run inside `make test`.
#
#   scripts/fuzz.sh [-t SECONDS] [TARGET...]
#
# SECONDS per target (default 300); no TARGET named: every fuzz/*_fuzz.cpp.
# Each target grows its corpus in build/fuzz/corpus/<target>, starting from the
# seeds in fuzz/seeds/<target>/. A crash or a broken invariant leaves its input
# in build/fuzz/artifacts/<target>/ (replay: build/fuzz/<target> FILE).
# Logs are in build/test-logs/fuzz-<target>.log. Ends with the line
# "fuzz: N passed, N failed" and exits non-zero when a target failed.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

seconds=300
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    -t) seconds="$2"; shift ;;
    -*) echo "fuzz.sh: unknown option '$1'" >&2; exit 2 ;;
    *) targets+=("$1") ;;
  esac
  shift
done
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

LOGS="$ROOT/build/test-logs"
mkdir -p "$LOGS"

if ! { cmake --preset fuzz && cmake --build build/fuzz -j2; } >"$LOGS/build-fuzz.log" 2>&1; then
  tail -n 40 "$LOGS/build-fuzz.log"
  echo "fuzz: 0 passed, 1 failed (build failed: see build/test-logs/build-fuzz.log)"
  exit 1
fi

# The targets classify paths against the real file system; an empty working
# folder keeps relative names from meeting anything.
scratch="$ROOT/build/fuzz/scratch"
mkdir -p "$scratch"

passed=0
failed=0
for target in "${targets[@]}"; do
  binary="$ROOT/build/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz: no target $target"
    failed=$((failed + 1))
    continue
  fi
  corpus="$ROOT/build/fuzz/corpus/$target"
  artifacts="$ROOT/build/fuzz/artifacts/$target"
  seeds="$ROOT/fuzz/seeds/$target"
  mkdir -p "$corpus" "$artifacts"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  log="$LOGS/fuzz-$target.log"
  echo "fuzz: $target for ${seconds}s"
  (cd "$scratch" && "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${dirs[@]}") >"$log" 2>&1
  code=$?
  runs="$(grep -aE '^stat::number_of_executed_units:' "$log" | tail -n 1 | awk '{print $2}')"
  if [ "$code" -eq 0 ]; then
    echo "  ok: ${runs:-?} runs, corpus $(find "$corpus" -type f | wc -l) inputs"
    passed=$((passed + 1))
  else
    grep -aE 'ERROR|invariant|SUMMARY|artifact|Test unit written' "$log" | head -n 20
    echo "  FAILED (exit code $code): see build/test-logs/fuzz-$target.log"
    failed=$((failed + 1))
  fi
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
