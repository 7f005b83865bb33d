#!/usr/bin/env bash
# Measures the saver as it runs: a measuring build (head_probe.scr, the same
# sources with a report at exit) runs full screen under Wine on a virtual
# 800x600 display for SECONDS (default 10), then a key ends it. For each run
# it prints frames per second, CPU time per frame (all the program's CPU
# time, start-up included, over its frames) and the time from the program's
# entry to its first frame.
#
# Usage: scripts/measure_saver.sh [SECONDS [PROGRAM...]]
#   Without PROGRAMs it builds and measures build/windows/head_probe.scr.
#   With several (for instance the measuring builds of two commits) it runs
#   them in turn, ROUNDS times (default 1), interleaved, on the same display
#   and Wine prefix, so that they are compared side by side.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-10}"
shift || true
programs=("$@")

"$root/scripts/install-deps.sh"
if [ ${#programs[@]} -eq 0 ]; then
  cd "$root"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$(nproc)" --target head_probe
  programs=("$root/build/windows/head_probe.scr")
fi

work=$(mktemp -d /tmp/saver-measure.XXXXXX)
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; Xvfb picks a free number and tells it.
Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"

wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w

# measure PROGRAM: one run, one line of figures.
measure() {
  local program=$1 report="$work/report.txt" saver status=0
  rm -f "$report"
  HEAD_PROBE_FILE="$report" wine "$program" /s &
  saver=$!
  for _ in $(seq 300); do xdotool search --name '^Head$' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep "$seconds"
  xdotool key space
  wait "$saver" || status=$?
  printf '%s exit %s: %s\n' "$program" "$status" "$(tr -d '\r' <"$report" | paste -sd ' ' -)"
}

for ((round = 1; round <= ${ROUNDS:-1}; round++)); do
  for program in "${programs[@]}"; do measure "$program"; done
done
