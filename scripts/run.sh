#!/usr/bin/env bash
# Builds the saver and runs it full screen under Wine.
#
# With a display ($DISPLAY set) the saver runs on it in the user's Wine
# prefix until a key, a click or a mouse move ends it. Without one it runs
# on a virtual 800x600 display of its own for about ten seconds, saves a
# screenshot (screenshot.png) and an animated GIF of the sway (sway.gif),
# ends the saver with a key and prints the folder it saved them in.
#
# With --linux it builds headsaver, the same saver for Linux, and runs it
# natively in the same two ways: on $DISPLAY in its own window made full
# screen (Escape or q ends it), or on a virtual 800x600 display, with the
# same screenshot and GIF (default folder build/bench/run-output).
#
# Usage: scripts/run.sh [--linux] [OUTPUT_FOLDER]
#        (default build/windows/run-output)
# Exits with the saver's exit status.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

source "$root/scripts/lib/display.sh"

# Waits up to a minute for the saver's visible window named NAME_REGEX and
# sets window; a message box named BOX_REGEX (if given) or the saver's end
# before its window is reported, with its exit status and LOG, and ends this
# script with 1. wait_for_window NAME_REGEX LOG [BOX_REGEX]
wait_for_window() {
  local name=$1 log=$2 boxes=${3:-} box status
  window=""
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && return 0
    if [ -n "$boxes" ]; then
      box=$(xdotool search --onlyvisible --name "$boxes" 2>/dev/null | head -n 1 || true)
      if [ -n "$box" ]; then
        echo "the saver shows a message box: $(xdotool getwindowname "$box")" >&2
        exit 1
      fi
    fi
    kill -0 "$saver_pid" 2>/dev/null || break
    sleep 0.1
  done
  status=0
  wait "$saver_pid" || status=$?
  saver_pid=""
  echo "the saver opened no window (exit status $status): $(cat "$log")" >&2
  exit 1
}

# A screenshot and twenty frames of the sway a quarter second apart, as
# screenshot.png and sway.gif in $out.
record_sway() {
  display_screenshot "$work/screenshot.png"
  for i in $(seq -w 1 20); do
    display_screenshot "$work/frame-$i.png"
    sleep 0.25
  done
  convert -delay 25 -loop 0 "$work"/frame-*.png -resize 50% -layers Optimize "$work/sway.gif"
  cp "$work/screenshot.png" "$work/sway.gif" "$out/"
}

# headsaver, natively: optimised build (the bench preset), own window.
run_linux() {
  out="${1:-$root/build/bench/run-output}"
  "$root/scripts/install-deps.sh"
  cd "$root"
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j"$(nproc)" --target headsaver
  local saver="$root/build/bench/headsaver/headsaver"
  local window=""

  if [ -n "${DISPLAY:-}" ]; then
    "$saver" --window &
    saver_pid=$!
    for _ in $(seq 100); do
      window=$(xdotool search --onlyvisible --name '^headsaver$' 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] && xdotool windowmove "$window" 0 0 windowsize "$window" 100% 100% windowfocus "$window" \
      >/dev/null 2>&1 || true
    status=0
    wait "$saver_pid" || status=$?
    exit "$status"
  fi

  mkdir -p "$out"
  out="$(cd "$out" && pwd)"
  rm -f "$out/screenshot.png" "$out/sway.gif"
  work=$(mktemp -d "${TMPDIR:-/tmp}/headsaver-run.XXXXXX")
  trap '[ -n "$saver_pid" ] && kill -9 "$saver_pid" 2>/dev/null; display_stop; rm -rf "$work"' EXIT
  display_start
  # 800x600: its own window fills the virtual screen.
  "$saver" --window 2>"$work/headsaver.log" &
  saver_pid=$!
  wait_for_window '^headsaver$' "$work/headsaver.log"
  sleep 2
  record_sway
  sleep 2
  xdotool windowfocus "$window" key Escape >/dev/null 2>&1 || true
  for _ in $(seq 300); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$saver_pid" 2>/dev/null; then
    echo "headsaver did not end on Escape" >&2
    exit 1
  fi
  status=0
  wait "$saver_pid" || status=$?
  saver_pid=""
  echo "headsaver exit status: $status"
  echo "saved screenshot.png and sway.gif in $out"
  exit "$status"
}

saver_pid=""
if [ "${1:-}" = --linux ]; then
  shift
  run_linux "$@"
fi

out="${1:-$root/build/windows/run-output}"
"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target head
saver="$root/build/windows/head.scr"

if [ -n "${DISPLAY:-}" ]; then
  status=0
  wine "$saver" /s || status=$?
  exit "$status"
fi

mkdir -p "$out"
out="$(cd "$out" && pwd)"
rm -f "$out/screenshot.png" "$out/sway.gif"
work=$(mktemp -d "${TMPDIR:-/tmp}/head-run.XXXXXX")
saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill -9 "$saver_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  display_stop
  rm -rf "$work"
}
trap cleanup EXIT

display_start
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits 2 s whenever a managed window closes.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w

wine "$saver" /s >"$work/wine.log" 2>&1 &
saver_pid=$!
wait_for_window '^Head$' "$work/wine.log" '^(ERROR|SHUTDOWN ERROR|Lumo GL|arg4)$'

# Wait for its first frames, then a screenshot and twenty frames of the sway
# a quarter second apart; the rest of the ten seconds it just runs.
sleep 2
record_sway
sleep 2

xdotool key --window "$window" space >/dev/null 2>&1 || true
status=0
for _ in $(seq 300); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$saver_pid" 2>/dev/null; then
  echo "the saver did not end on a key" >&2
  exit 1
fi
wait "$saver_pid" || status=$?
saver_pid=""
echo "saver exit status: $status"
echo "saved screenshot.png and sway.gif in $out"
exit "$status"
