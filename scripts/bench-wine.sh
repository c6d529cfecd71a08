#!/usr/bin/env bash
# Benchmarks quorvel.exe under Wine: builds the programs in a build folder of
# their own (default build/bench-wine) with QUORVEL_BENCH_WINE on, starts that
# folder's Wine desktop, runs bench/wine/bench_wine.py and stops the desktop.
# Prints Markdown tables; they are also kept in BUILD/bench-wine/results.md.
#   scripts/bench-wine.sh [BUILD_DIR] [--quick] [--only preview|find|memory|sizes|huge]
# Not part of the test command: the figures depend on the machine's load.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench-wine
options=()
while [ $# -gt 0 ]; do
  case $1 in
  --quick) options+=(--quick) ;;
  --only) options+=(--only "$2"); shift ;;
  *) build=$1 ;;
  esac
  shift
done

bash scripts/setup.sh
cmake --preset windows -B "$build" -DQUORVEL_BENCH_WINE=ON >/dev/null
cmake --build "$build" --target bench_wine -j2

trap 'scripts/wine-env.sh stop "$build"' EXIT
scripts/wine-env.sh start "$build" >"$build/bench-desktop.log" 2>&1
python3 bench/wine/bench_wine.py --build-dir "$build" "${options[@]}"
