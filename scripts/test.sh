#!/usr/bin/env bash
# Builds and runs every test: the native suite, then the Windows build with
# its unit tests and end-to-end tests under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== Windows build (MinGW-w64) and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
