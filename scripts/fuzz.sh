#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 10):
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]      targets: text_fuzz date_fuzz app_fuzz
# Runs start from the seeds in fuzz/corpus/<target> and keep what they find in
# build/fuzz/corpus/<target>, so a later run goes on from there. An input that
# breaks a check or trips a sanitizer is saved under build/fuzz/artifacts/ and
# the script fails; replay it with build/fuzz/fuzz/<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-10}"
shift || true
targets=("$@")
((${#targets[@]})) || targets=(text_fuzz date_fuzz app_fuzz)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
mkdir -p build/fuzz/artifacts
for target in "${targets[@]}"; do
  work="build/fuzz/corpus/$target"
  log="build/fuzz/$target.log"
  mkdir -p "$work"
  if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$target-" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target FAILED; the input is in build/fuzz/artifacts/ (full log: $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz: $target passed: $runs runs in ${seconds}s, $cov, corpus $(ls "$work" | wc -l) inputs"
done
