#!/usr/bin/env bash
# Starts or stops the desktop that Wine tests of one build folder run on:
# a virtual X display (Xvfb), the openbox window manager (so that focus follows
# SetForegroundWindow) and the Wine server of the folder's own prefix.
#   wine-env.sh start BUILD_DIR   writes BUILD_DIR/wine/env for scripts/wine-run
#   wine-env.sh stop BUILD_DIR    ends exactly the processes that start began
set -euo pipefail
cmd=$1; root=$(cd "$2" && pwd); dir=$root/wine
mkdir -p "$dir"
export WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

stop() {
  if [ -f "$dir/env" ]; then
    # shellcheck disable=SC1091
    . "$dir/env"
    wineserver -k >/dev/null 2>&1 || true
    for pid in ${QUORVEL_PIDS:-}; do kill "$pid" 2>/dev/null || true; done
    rm -f "$dir/env"
  fi
}

case $cmd in
stop) stop; exit 0 ;;
start) stop ;;
*) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac

# A display of our own, whatever DISPLAY the caller has: tests must not touch the user's desktop.
exec 3>"$dir/displayfd"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 </dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$dir/displayfd" ] && break; sleep 0.05; done
display=":$(head -n1 "$dir/displayfd")"
export DISPLAY=$display

# openbox without key bindings, so Alt+F4 and other keys reach Wine.
cat >"$dir/openbox.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <keyboard></keyboard><mouse></mouse>
</openbox_config>
XML
openbox --config-file "$dir/openbox.xml" >"$dir/openbox.log" 2>&1 </dev/null &
wm=$!

if [ ! -f "$WINEPREFIX/.initialised" ]; then
  wine wineboot -i >"$dir/wineboot.log" 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
  # Keep the prefix from linking its folders into $HOME.
  for d in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
  done
  touch "$WINEPREFIX/.initialised"
fi
# NOTE: the persistent server outlives this script; it must not hold the
# caller's output open, or a reader waiting for EOF (ctest) hangs.
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
# A program that crashes ends (its backtrace goes to its output) rather than
# waiting behind a crash dialog that nobody closes.
if [ ! -f "$WINEPREFIX/.nocrashdialog" ]; then
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1 </dev/null || true
  touch "$WINEPREFIX/.nocrashdialog"
fi

cat >"$dir/env" <<ENV
export DISPLAY=$display
export WINEPREFIX=$WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
QUORVEL_PIDS="$xvfb $wm"
ENV
echo "wine-env: display $display, prefix $WINEPREFIX"
