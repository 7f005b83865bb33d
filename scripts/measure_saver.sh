#!/usr/bin/env bash
# Measures the saver as it runs, on a virtual 800x600 display of its own, for
# SECONDS (default 10) per run, through its measuring builds (the same sources
# with a report at exit). For each run it prints one line: frames, the time
# from the program's entry to its first frame (first_frame_ms), frames per
# second and CPU time per frame (all the program's CPU time, start-up
# included, over its frames).
#
#   scripts/measure_saver.sh [SECONDS [PROGRAM.scr...]]
#       head.scr full screen under Wine (head_probe.scr, built here unless
#       PROGRAMs are given); a key ends it. With several PROGRAMs (say the
#       measuring builds of two commits) they run in turn on the same display
#       and Wine prefix, so that they are compared side by side.
#   scripts/measure_saver.sh --linux [SECONDS]
#       headsaver natively (headsaver_probe, optimised); SIGTERM ends it.
#   scripts/measure_saver.sh --both [SECONDS]
#       head.scr under Wine and headsaver, side by side in one run.
#   scripts/measure_saver.sh --two-monitors [SECONDS [PROGRAM.scr...]]
#       head.scr full screen as the first form, on a desk of two monitors
#       (800x600 and 640x480, display_start_two_monitors): one view each.
# ROUNDS (default 1) repeats the whole set, interleaved. PRESET=windows64
# measures the 64-bit build of the same sources in a 64-bit prefix, through
# Wine's 64-bit loader (for machines that start no 32-bit programs).
# MODEL=FILE sets the saver's Model setting in the measuring prefix (and
# gives headsaver --model FILE), to measure a model of the user's, of any
# format the saver reads, instead of the medal.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
which=windows
desk=one
case "${1:-}" in
  --linux) which=linux; shift ;;
  --both) which=both; shift ;;
  --two-monitors) desk=two; shift ;;
esac
preset=${PRESET:-windows}
winearch=win32
[ "$preset" = windows64 ] && winearch=win64
seconds="${1:-10}"
shift || true
programs=("$@")

"$root/scripts/install-deps.sh"
cd "$root"
if [ "$which" != linux ] && [ ${#programs[@]} -eq 0 ]; then
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" --target head_probe >/dev/null
  programs=("$root/build/$preset/head_probe.scr")
fi
if [ "$which" = linux ]; then programs=(); fi
if [ "$which" != windows ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j"$(nproc)" --target headsaver_probe >/dev/null
  programs+=(headsaver)
fi

work=$(mktemp -d /tmp/saver-measure.XXXXXX)
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  display_stop
  rm -rf "$work"
}
trap cleanup EXIT

source "$root/scripts/lib/display.sh"
if [ "$desk" = two ]; then display_start_two_monitors; else display_start; fi

if [ "$which" != linux ]; then
  if [ "$winearch" = win64 ]; then
    source "$root/scripts/lib/wine64_only.sh"
    wine64_only_path "$work/wine64"
  fi
  export WINEPREFIX="$work/prefix" WINEARCH=$winearch WINEDEBUG=-all
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # Wine sees the desk's two heads through Xinerama only.
  [ "$desk" = one ] || wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
  if [ -n "${MODEL:-}" ]; then
    wine reg add 'HKCU\Software\Head' /v Model /t REG_SZ /d "$(winepath -w "$MODEL" 2>/dev/null | tr -d '\r')" /f >/dev/null 2>&1
  fi
  wineserver -w
fi

# measure PROGRAM: one run, one line of figures.
measure() {
  local program=$1 report="$work/report.txt" saver status=0 window
  rm -f "$report"
  if [ "$program" = headsaver ]; then
    HEADSAVER_PROBE_FILE="$report" build/bench/headsaver/headsaver_probe --window ${MODEL:+--model "$MODEL"} &
    saver=$!
    window='^headsaver$'
  else
    HEAD_PROBE_FILE="$report" wine "$program" /s &
    saver=$!
    window='^Head$'
  fi
  for _ in $(seq 300); do xdotool search --name "$window" >/dev/null 2>&1 && break; sleep 0.1; done
  sleep "$seconds"
  if [ "$program" = headsaver ]; then kill -TERM "$saver"; else xdotool key space; fi
  wait "$saver" || status=$?
  printf '%s exit %s: %s\n' "$program" "$status" "$(tr -d '\r' <"$report" | paste -sd ' ' -)"
}

for ((round = 1; round <= ${ROUNDS:-1}; round++)); do
  for program in "${programs[@]}"; do measure "$program"; done
done
