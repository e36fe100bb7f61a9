#!/usr/bin/env bash
# Builds and runs tolvik's test suites; `make test` and `make test-<suite>`.
#
#   scripts/test.sh [host] [win] [e2e] [fuzz] [-- ARGS...]
#
# No suite named: all of them (fuzz comes with host). ARGS go to the suite's runner (GoogleTest
# options such as --gtest_filter=..., or run.py's -k TEXT) when one suite is named.
#
# host: build/host/host_tests on Linux.
# win:  build/windows/win_tests.exe under Wine.
# e2e:  tests/e2e/run.py, driving build/windows/tolvik.exe and its installers
#       (build/windows/tolvik-Setup-<version>.exe, next/tolvik-Setup-<next>.exe) under Wine.
# fuzz: a short run of each libFuzzer target (scripts/fuzz.sh; TOLVIK_FUZZ_SECONDS
#       per target, default 8: six targets in under a minute); also part of host.
# The Wine suites share one private Xvfb and the prefix build/wine/test
# (TOLVIK_TEST_ENV=NAME: build/wine/NAME instead); the end-to-end tests run in
# TOLVIK_E2E_WORKERS workers (default 3), the others each with an Xvfb and a
# copy of that prefix of their own (build/wine/test-w2, ...).
#
# Prints one summary line per suite, the time each stage took, and a final
# "total: N passed, N failed"; exits non-zero when anything failed, a build
# included. Full logs are in build/test-logs/.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

suites=()
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    host | win | e2e | fuzz) suites+=("$1") ;;
    --) shift; args=("$@"); break ;;
    *) echo "test.sh: unknown suite '$1' (host, win, e2e, fuzz)" >&2; exit 2 ;;
  esac
  shift
done
[ ${#suites[@]} -eq 0 ] && suites=(host win e2e)
if [ ${#args[@]} -gt 0 ] && [ ${#suites[@]} -ne 1 ]; then
  echo "test.sh: runner arguments need exactly one suite" >&2
  exit 2
fi
wants() { local s; for s in "${suites[@]}"; do [ "$s" = "$1" ] && return 0; done; return 1; }

LOGS="$ROOT/build/test-logs"
mkdir -p "$LOGS"

# Deterministic text handling: UTF-8 command lines and an English Wine.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset LANGUAGE

# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

summary=()
total_passed=0
total_failed=0
total_skipped=0

note() {  # note SUITE PASSED FAILED SKIPPED [REMARK]
  local line="$1: $2 passed, $3 failed"
  [ "$4" -gt 0 ] && line="$line, $4 skipped"
  [ -n "${5:-}" ] && line="$line ($5)"
  summary+=("$line")
  total_passed=$((total_passed + $2))
  total_failed=$((total_failed + $3))
  total_skipped=$((total_skipped + $4))
}

section() { printf '\n=== %s ===\n' "$*"; }

# Wall time of each stage, for the summary: stage_begin; ...; stage_end NAME.
stage_times=()
run_started=$SECONDS
stage_begin() { stage_started=$SECONDS; }
stage_end() { stage_times+=("$1 $((SECONDS - stage_started)) s"); }

stage_begin
./scripts/install-deps.sh || { echo "test.sh: installing packages failed" >&2; exit 1; }
stage_end packages

# --- builds ----------------------------------------------------------------
host_built=0
win_built=0
if wants win || wants e2e; then
  stage_begin
  section "build: windows"
  # The end-to-end tests install tolvik: its installer, and the next version's
  # (the same core linked again at another version) for the update test.
  win_targets=(all)
  wants e2e && win_targets+=(installer installer_next)
  if { cmake --preset windows && cmake --build build/windows -j2 --target "${win_targets[@]}"; } \
    >"$LOGS/build-windows.log" 2>&1; then
    win_built=1
    echo "windows build: ok"
  else
    tail -n 60 "$LOGS/build-windows.log"
    note "windows build" 0 1 0 "see build/test-logs/build-windows.log"
  fi
  stage_end "windows build"
fi

# --- GoogleTest result -----------------------------------------------------
# gtest_counts JSON_FILE -> "passed failed skipped", or nothing when the file
# is missing (the run crashed before writing it).
gtest_counts() {
  /usr/bin/python3 - "$1" <<'PY'
import json, sys
try:
    report = json.load(open(sys.argv[1], encoding="utf-8"))
except (OSError, ValueError):
    sys.exit(0)
passed = failed = skipped = 0
for suite in report.get("testsuites", []):
    for test in suite.get("testsuite", []):
        if test.get("status") != "RUN":
            continue
        if test.get("failures"):
            failed += 1
        elif test.get("result") == "SKIPPED":
            skipped += 1
        else:
            passed += 1
print(passed, failed, skipped)
PY
}

# run_gtest NAME JSON_FILE LOG COMMAND... : runs a GoogleTest binary, shows
# its brief output, and notes its counts.
run_gtest() {
  local name="$1" json="$2" log="$3"
  shift 3
  rm -f "$json"
  "$@" 2>&1 | wine_env_filter | tee "$log"
  local code=${PIPESTATUS[0]}
  local counts
  counts="$(gtest_counts "$json")"
  if [ -z "$counts" ]; then
    note "$name" 0 1 0 "no result: exit code $code"
    return
  fi
  # shellcheck disable=SC2086
  set -- $counts
  local failed="$2"
  if [ "$code" -ne 0 ] && [ "$failed" -eq 0 ]; then
    note "$name" "$1" 1 "$3" "exit code $code"
  else
    note "$name" "$1" "$2" "$3"
  fi
}

# --- the host side ----------------------------------------------------------
# The host build, its tests, the source checks and the fuzz run. None of it
# needs Wine, so while the Wine suites run (which mostly wait: for windows,
# files and Wine's processes) it runs beside them at the lowest priority,
# taking only the processor time they leave; its output follows theirs.
host_side() {
  if wants host; then
    section "build: host"
    stage_begin
    # The tests first, so that a broken benchmark does not keep them from running.
    if { cmake --preset host && cmake --build build/host -j2 --target host_tests; } \
      >"$LOGS/build-host.log" 2>&1; then
      host_built=1
      if cmake --build build/host -j2 >>"$LOGS/build-host.log" 2>&1; then
        echo "host build: ok"
      else
        tail -n 60 "$LOGS/build-host.log"
        note "host build" 0 1 0 "see build/test-logs/build-host.log"
      fi
    else
      tail -n 60 "$LOGS/build-host.log"
      note "host build" 0 1 0 "see build/test-logs/build-host.log"
    fi
    stage_end "host build"
  fi

  # --- host ------------------------------------------------------------------
  if wants host && [ "$host_built" = 1 ]; then
    section "host: build/host/host_tests"
    stage_begin
    run_gtest host "$LOGS/host_tests.json" "$LOGS/host_tests.log" \
      timeout -k 10 "${TOLVIK_HOST_TEST_TIMEOUT:-900}" build/host/host_tests \
      --gtest_brief=1 --gtest_color=no --gtest_output="json:$LOGS/host_tests.json" \
      "${args[@]}"
    stage_end host
  fi

  # --- source checks ---------------------------------------------------------
  # The translation tables' stored form, the texts the code looks up, that no
  # file includes a later layer, that every header compiles on its own (with the
  # tests of those checks and of the build's check that no layer calls a later
  # one), and the tests of the end-to-end runner's parts.
  if wants host; then
    section "checks: translation tables, text keys, layers, calls, headers and the e2e runner"
    stage_begin
    checks_passed=0
    checks_failed=0
    for check in scripts/check-lang-tables.py "scripts/check-text-keys.py --quiet" \
                 scripts/check-layers.py scripts/check-layers-test.py scripts/check-calls-test.py \
                 scripts/check-headers.py scripts/check-headers-test.py \
                 "-B -m unittest discover -s tests/e2e -p *_test.py"; do
      # shellcheck disable=SC2086
      /usr/bin/python3 $check >"$LOGS/check.out" 2>&1
      code=$?
      cat "$LOGS/check.out" >>"$LOGS/checks.log"
      if [ "$code" -eq 0 ]; then
        tail -n 1 "$LOGS/check.out"
        checks_passed=$((checks_passed + 1))
      else
        cat "$LOGS/check.out"
        checks_failed=$((checks_failed + 1))
      fi
    done
    note checks "$checks_passed" "$checks_failed" 0
    stage_end checks
  fi

  # --- fuzz smoke run --------------------------------------------------------
  # Each libFuzzer target for a few seconds, sanitizers on (`make fuzz` runs longer).
  if wants host || wants fuzz; then
    fuzz_seconds="${TOLVIK_FUZZ_SECONDS:-8}"
    section "fuzz: fuzz/*_fuzz.cpp, ${fuzz_seconds}s each"
    stage_begin
    ./scripts/fuzz.sh -t "$fuzz_seconds" 2>&1 | tee "$LOGS/fuzz.log"
    code=${PIPESTATUS[0]}
    last="$(grep -E '^fuzz: [0-9]+ passed, [0-9]+ failed' "$LOGS/fuzz.log" | tail -n 1)"
    if [[ "$last" =~ ^fuzz:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
      p="${BASH_REMATCH[1]}" f="${BASH_REMATCH[2]}"
      if [ "$code" -ne 0 ] && [ "$f" -eq 0 ]; then
        note fuzz "$p" 1 0 "exit code $code"
      else
        note fuzz "$p" "$f" 0
      fi
    else
      note fuzz 0 1 0 "no result: exit code $code"
    fi
    stage_end fuzz
  fi
}

# host_side in the background: its counts and stage times go to a file that
# merge_host_side reads back into this shell once it has ended.
host_side_state="$LOGS/host-side.state"
start_host_side() {
  rm -f "$host_side_state"
  (
    renice -n 19 -p "$BASHPID" >/dev/null
    summary=() stage_times=() total_passed=0 total_failed=0 total_skipped=0
    host_side
    side_summary=("${summary[@]}") side_times=("${stage_times[@]}")
    side_totals=("$total_passed" "$total_failed" "$total_skipped")
    declare -p side_summary side_times side_totals >"$host_side_state"
  ) >"$LOGS/host-side.log" 2>&1 &
  host_side_pid=$!
}
merge_host_side() {
  wait "$host_side_pid"
  section "host side (ran beside the Wine suites; build/test-logs/host-side.log)"
  cat "$LOGS/host-side.log"
  if [ -f "$host_side_state" ]; then
    # shellcheck disable=SC1090
    source "$host_side_state"
    summary+=("${side_summary[@]}")
    stage_times+=("${side_times[@]}")
    total_passed=$((total_passed + side_totals[0]))
    total_failed=$((total_failed + side_totals[1]))
    total_skipped=$((total_skipped + side_totals[2]))
  else
    note "host side" 0 1 0 "it ended without its counts: see build/test-logs/host-side.log"
  fi
}

host_side_pid=""
if wants host || wants fuzz; then
  if { wants win || wants e2e; } && [ "$win_built" = 1 ] && [ "${TOLVIK_TEST_SERIAL:-0}" != 1 ]; then
    start_host_side
  else
    host_side
  fi
fi

# --- Wine suites -----------------------------------------------------------
wine_ready=0
if { wants win || wants e2e; } && [ "$win_built" = 1 ]; then
  env_name="${TOLVIK_TEST_ENV:-test}"
  section "wine: setting up build/wine/$env_name"
  stage_begin
  # Two test runs in one prefix would end each other's processes: take turns.
  mkdir -p "$ROOT/build/wine/$env_name"
  exec 8>"$ROOT/build/wine/$env_name.lock"
  if ! flock -n 8; then
    echo "wine: another test run is using build/wine/$env_name; waiting for it"
    flock 8
  fi
  if wine_env_init "$env_name" own; then
    wine_ready=1
    trap 'wine_env_stop' EXIT
    trap 'wine_env_stop; trap - EXIT; exit 130' INT TERM
    echo "wine: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
  else
    note "wine setup" 0 1 0
  fi
  stage_end "wine setup"
fi

if wants win && [ "$wine_ready" = 1 ]; then
  section "windows: build/windows/win_tests.exe under Wine"
  stage_begin
  json_win="$(winepath -w "$LOGS/win_tests.json" 2>/dev/null | tail -n 1)"
  run_gtest windows "$LOGS/win_tests.json" "$LOGS/win_tests.log" \
    timeout -k 10 "${TOLVIK_WIN_TEST_TIMEOUT:-900}" \
    wine build/windows/win_tests.exe \
    --gtest_brief=1 --gtest_color=no "--gtest_output=json:$json_win" "${args[@]}"
  stage_end windows
fi

if wants e2e && [ "$wine_ready" = 1 ]; then
  export TOLVIK_E2E_WORKERS="${TOLVIK_E2E_WORKERS:-3}"
  section "e2e: tests/e2e/run.py, $TOLVIK_E2E_WORKERS workers"
  stage_begin
  /usr/bin/python3 tests/e2e/run.py "${args[@]}" 2>&1 | wine_env_filter | tee "$LOGS/e2e.log"
  code=${PIPESTATUS[0]}
  last="$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$LOGS/e2e.log" | tail -n 1)"
  if [[ "$last" =~ ^e2e:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ skipped)? ]]; then
    p="${BASH_REMATCH[1]}" f="${BASH_REMATCH[2]}" s="${BASH_REMATCH[4]:-0}"
    if [ "$code" -ne 0 ] && [ "$f" -eq 0 ]; then
      note e2e "$p" 1 "$s" "exit code $code"
    else
      note e2e "$p" "$f" "$s"
    fi
  else
    note e2e 0 1 0 "no result: exit code $code"
  fi
  stage_end e2e
fi

if [ "$wine_ready" = 1 ]; then
  wine_env_stop
  trap - EXIT
fi

[ -n "$host_side_pid" ] && merge_host_side

# --- summary ---------------------------------------------------------------
section "summary"
for line in "${summary[@]}"; do
  echo "$line"
done
stage_times+=("total $((SECONDS - run_started)) s")
times="$(printf '%s, ' "${stage_times[@]}")"
echo "times: ${times%, }"
final="total: $total_passed passed, $total_failed failed"
[ "$total_skipped" -gt 0 ] && final="$final, $total_skipped skipped"
echo "$final"
[ "$total_failed" -eq 0 ]
