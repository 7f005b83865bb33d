#!/usr/bin/env bash
# Measures the saver as it runs, on a virtual 800x600 display of its own,
# for SECONDS (default 10), through its measuring build (the same sources
# with a report at exit). It prints frames per second, CPU time per frame
# (all the program's CPU time, start-up included, over its frames) and the
# time from the program's entry to its first frame.
#
#   scripts/measure_saver.sh [SECONDS]          head.scr (head_probe.scr) full
#                                               screen under Wine; a key ends it
#   scripts/measure_saver.sh --linux [SECONDS]  headsaver (headsaver_probe),
#                                               natively, optimised; SIGTERM ends it
#   scripts/measure_saver.sh --both [SECONDS]   both in one run, side by side
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
which=windows
case "${1:-}" in
  --linux) which=linux; shift ;;
  --both) which=both; shift ;;
esac
seconds="${1:-10}"

"$root/scripts/install-deps.sh"
cd "$root"

work=$(mktemp -d /tmp/saver-measure.XXXXXX)
xvfb_pid=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A fresh display of our own: the first free number from 90.
start_display() {
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; }
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

measure_windows() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$(nproc)" --target head_probe >/dev/null
  start_display
  export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  local report="$work/windows.txt"
  HEAD_PROBE_FILE="$report" wine build/windows/head_probe.scr /s &
  local saver=$!
  for _ in $(seq 300); do xdotool search --name '^Head$' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep "$seconds"
  xdotool key space
  local status=0
  wait "$saver" || status=$?
  echo "head.scr exit status: $status" >&2
  cat "$report"
}

measure_linux() {
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j"$(nproc)" --target headsaver_probe >/dev/null
  start_display
  local report="$work/linux.txt"
  HEADSAVER_PROBE_FILE="$report" build/bench/headsaver/headsaver_probe --window &
  local saver=$!
  for _ in $(seq 300); do xdotool search --name '^headsaver$' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep "$seconds"
  kill -TERM "$saver"
  local status=0
  wait "$saver" || status=$?
  echo "headsaver exit status: $status" >&2
  cat "$report"
}

case "$which" in
  windows) measure_windows ;;
  linux) measure_linux ;;
  both)
    measure_windows >"$work/w" && measure_linux >"$work/l"
    printf '%-18s %14s %14s\n' "" "head.scr/Wine" "headsaver"
    join <(sort "$work/w") <(sort "$work/l") | while read -r key w l; do
      printf '%-18s %14s %14s\n' "$key" "$w" "$l"
    done
    ;;
esac
