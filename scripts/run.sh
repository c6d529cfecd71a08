#!/usr/bin/env bash
# Builds quorvel.exe and starts it under Wine: on the caller's X display when
# there is one, else on a virtual display of its own (then the program runs
# unseen; its window can be captured with `import -display :N -window root`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target quorvel

exe=$PWD/build/windows/app/quorvel.exe
export WINEPREFIX=$PWD/build/run/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :77 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=:77
  sleep 1
  echo "run: no display; started a virtual one at $DISPLAY"
fi
echo "run: $exe (hot key Alt+\` shows the window; close it and answer Yes to end)"
wine "$exe"
wineserver -k 2>/dev/null || true
