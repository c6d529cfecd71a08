#!/usr/bin/env bash
# Builds and runs every test: the native suite, the same suite under the
# address, undefined-behaviour and leak sanitizers, a short run of each fuzz
# target, then the Windows build with its unit tests and end-to-end tests
# under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== native tests under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== fuzz targets, 10 s each (longer: bash scripts/fuzz.sh SECONDS)"
bash scripts/fuzz.sh 10

echo "== Windows build (MinGW-w64) and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
