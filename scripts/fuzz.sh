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

# fuzz_one TARGET: runs one target; its verdict goes to build/fuzz/<target>.result.
fuzz_one() {
  local target="$1"
  local binary="$ROOT/build/fuzz/$target"
  local result="$ROOT/build/fuzz/$target.result"
  if [ ! -x "$binary" ]; then
    echo "fuzz: no target $target" >"$result"
    return
  fi
  local corpus="$ROOT/build/fuzz/corpus/$target"
  local artifacts="$ROOT/build/fuzz/artifacts/$target"
  local seeds="$ROOT/fuzz/seeds/$target"
  mkdir -p "$corpus" "$artifacts"
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  local log="$LOGS/fuzz-$target.log"
  (cd "$scratch" && "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${dirs[@]}") >"$log" 2>&1
  local code=$?
  local runs
  runs="$(grep -aE '^stat::number_of_executed_units:' "$log" | tail -n 1 | awk '{print $2}')"
  {
    echo "fuzz: $target for ${seconds}s"
    if [ "$code" -eq 0 ]; then
      echo "  ok: ${runs:-?} runs, corpus $(find "$corpus" -type f | wc -l) inputs"
    else
      grep -aE 'ERROR|invariant|SUMMARY|artifact|Test unit written' "$log" | head -n 20
      echo "  FAILED (exit code $code): see build/test-logs/fuzz-$target.log"
    fi
  } >"$result"
}

# Each target is one process on one core: as many at once as there are cores
# (TOLVIK_FUZZ_JOBS), the verdicts printed in the targets' order.
jobs="${TOLVIK_FUZZ_JOBS:-$(nproc)}"
for target in "${targets[@]}"; do
  rm -f "$ROOT/build/fuzz/$target.result"
done
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n
  done
  fuzz_one "$target" &
done
wait
passed=0
failed=0
for target in "${targets[@]}"; do
  result="$ROOT/build/fuzz/$target.result"
  cat "$result" 2>/dev/null
  if grep -q "^  ok: " "$result" 2>/dev/null; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
