#!/usr/bin/env bash
# Measures the saver as it runs: the measuring build (head_probe.scr, the
# same sources with a report at exit) runs full screen under Wine on a
# virtual 800x600 display for SECONDS (default 10), then a key ends it. It
# prints frames per second, CPU time per frame (all the program's CPU time,
# start-up included, over its frames) and the time from the program's entry
# to its first frame.
# Usage: scripts/measure_saver.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-10}"

"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target head_probe

work=$(mktemp -d /tmp/saver-measure.XXXXXX)
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: the first free number from 90.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w

report="$work/report.txt"
HEAD_PROBE_FILE="$report" wine build/windows/head_probe.scr /s &
saver=$!
for _ in $(seq 300); do xdotool search --name '^Head$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep "$seconds"
xdotool key space
status=0
wait "$saver" || status=$?
echo "saver exit status: $status"
cat "$report"
