#!/usr/bin/env bash
# End-to-end tests of headsaver on a virtual X display of its own, as it is
# installed (cmake --install into a DESTDIR) and as it is run:
#   1. by the real XScreenSaver daemon (Debian's xscreensaver), run as an
#      unprivileged user (the daemon starts no hacks as root) whose
#      ~/.xscreensaver names `headsaver --root`: activated, the medal shows
#      and moves; deactivated, headsaver ends;
#   2. with --window-id in a window of ours, which is then resized (one
#      of a GL visual, one whose visual has no depth buffer);
#   3. with --model and files of very different sizes from the corpus, a
#      model in colours (and, with --plain, in grey), with a file the reader
#      rejects, a missing one and a FIFO; a cube of each other format (STL,
#      OBJ with its texture, glTF binary) in the colour its file gives, and
#      a damaged file of each;
#   4. ended by SIGTERM and by its own window's keys (Escape in the middle
#      of a pause of a minute too); its pace: with --delay 100000 its
#      measuring build (headsaver_probe) reports at most 10 frames a
#      second, and not far fewer;
#   5. its failures: no such window, no GLX.
# headsaver is the sanitised build of the host preset: whatever
# AddressSanitizer or LeakSanitizer reports fails the test (on stderr when
# run here, in a log folder when the daemon runs it).
#
# Usage: run_headsaver_e2e.sh BUILD_DIR CORPUS_DIR
# Exits 0 when every case passed, 1 otherwise, 77 when it cannot run here
# (not root and no test user; xscreensaver or Xvfb missing).
set -uo pipefail
build=$1
corpus=$2
user=headsaver-e2e
root_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

for tool in Xvfb xscreensaver xscreensaver-command xhost xdotool xwininfo import convert compare runuser; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"; exit 77; }
done
if ! id "$user" >/dev/null 2>&1; then
  [ "$(id -u)" -eq 0 ] || { echo "skipped: user $user is missing and only root can add it"; exit 77; }
  # Once per machine: the daemon's user, without a password or privileges.
  useradd -m -s /bin/sh "$user" || { echo "cannot add user $user"; exit 1; }
fi
[ "$(id -u)" -eq 0 ] || { echo "skipped: runuser needs root"; exit 77; }

failed=0
passed=0
# Each result line ends with the seconds since the previous one.
case_start=$SECONDS
ok() { passed=$((passed + 1)); printf 'ok - %s (%d s)\n' "$1" $((SECONDS - case_start)); case_start=$SECONDS; }
not_ok() {
  failed=$((failed + 1))
  printf 'not ok - %s: %s (%d s)\n' "$1" "$2" $((SECONDS - case_start))
  case_start=$SECONDS
}
# ok NAME when headsaver ended with status 0 ($status) and said nothing on
# stderr; else not ok, with PREFIX before what it did, and false.
ok_if_clean() {
  if [ "$status" -ne 0 ] || [ -s "$work/err" ]; then
    not_ok "$1" "${2:-}status $status, stderr: $(head -c 2000 "$work/err")"
    return 1
  else
    ok "$1"
  fi
}

source "$root_dir/scripts/lib/display.sh"
source "$root_dir/tests/e2e/models.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/headsaver-e2e.XXXXXX")
chmod 755 "$work"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  display_stop
  # A failed run keeps its pictures and logs for a look.
  if [ -z "${KEEP:-}" ] && [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "# kept $work"; fi
}
trap cleanup EXIT

# Installed as a user installs it, into a folder the test user can read.
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
saver="$work/root/usr/libexec/xscreensaver/headsaver"
[ -x "$saver" ] && [ -f "$work/root/usr/share/xscreensaver/config/headsaver.xml" ] ||
  { echo "cmake --install left no headsaver or headsaver.xml under usr/"; exit 1; }

display_start || exit 1
unset XSCREENSAVER_WINDOW
echo "# display $DISPLAY, work folder $work"

# --- Pictures ---

# The picture fills the view: black corners (nothing of the window's own
# background, nothing drawn past the view) and a lit middle. For KIND
# medal, most of the central ninth is lit and so is a tenth of each
# quadrant (the medal overfills the view); for KIND model (a user's model,
# maybe thin) some of the central ninth is lit and the lit pixels' box
# holds the centre and spans 40% of the width or height. Sets why.
fills_picture() {
  local file=$1 kind=$2 w h
  read -r w h < <(identify -format '%w %h' "$file")
  why=""
  picture_black_corners "$file" 16 0.02 || { why="corners not black"; return 1; }
  local middle=0.33
  [ "$kind" = model ] && middle=0.02
  picture_lit_middle "$file" "$((w / 3))x$((h / 3))" "$middle" 0.06 || { why="middle not lit"; return 1; }
  local box bw bh bx by
  if [ "$kind" = medal ]; then
    local x y
    for x in 0 $((w / 2)); do
      for y in 0 $((h / 2)); do
        picture_gt "$(picture_share_above "$file" 0.06 "$((w / 2))x$((h / 2))+$x+$y")" 0.1 || { why="quadrant at +$x+$y not lit"; return 1; }
      done
    done
    # Swaying, the upright medal is at times as high as it is wide; lying
    # flat (its axes not exchanged) it is never more than 0.66 as high.
    picture_upright "$file" 0.06 0.8 || { why="the medal lies flat: lit box $PICTURE_BOX"; return 1; }
    return 0
  fi
  box=$(picture_lit_box "$file" 0.06)
  IFS='x+' read -r bw bh bx by <<<"$box"
  if ! { [ $((bw * 5)) -ge $((w * 2)) ] || [ $((bh * 5)) -ge $((h * 2)) ]; }; then
    why="lit box $box is small in ${w}x$h"
    return 1
  fi
  if [ $((2 * bx)) -gt "$w" ] || [ $((2 * (bx + bw))) -lt "$w" ] || [ $((2 * by)) -gt "$h" ] ||
     [ $((2 * (by + bh))) -lt "$h" ]; then
    why="lit box $box misses the centre of ${w}x$h"
    return 1
  fi
  return 0
}

# Polls (at most SECONDS) for a picture of WINDOW that fills_picture
# accepts as KIND; leaves it in FILE. Sets why.
wait_for_picture() {
  local file=$1 window=$2 kind=$3 seconds=$4 pid=${5:-} end=$((SECONDS + $4))
  while [ "$SECONDS" -lt "$end" ]; do
    if display_screenshot "$file" "$window" && fills_picture "$file" "$kind"; then return 0; fi
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then why="headsaver ended: $(head -c 300 "$work/err")"; return 1; fi
    sleep 0.25
  done
  why="after $seconds s: $why"
  return 1
}

# --- Running headsaver directly ---

# Starts headsaver ARGS... in the background, its stderr in $work/err.
# Sets hs_pid.
start_saver() {
  "$saver" "$@" 2>"$work/err" &
  hs_pid=$!
  pids+=("$hs_pid")
}

# Ends headsaver with SIGTERM; sets status (124 if it did not end).
stop_saver() {
  kill -TERM "$hs_pid" 2>/dev/null
  local i
  for ((i = 0; i < 200; i++)); do kill -0 "$hs_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$hs_pid" 2>/dev/null; then
    kill -9 "$hs_pid"
    wait "$hs_pid" 2>/dev/null
    status=124
  else
    wait "$hs_pid"
    status=$?
  fi
}

# Polls (at most 30 s) for the visible top-level window named NAME; sets
# window_id.
wait_for_window() {
  local i
  for ((i = 0; i < 300; i++)); do
    window_id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$window_id" ] && return 0
    sleep 0.1
  done
  return 1
}

# --- 1. The XScreenSaver daemon runs headsaver --root ---

# True when process PID has ended: gone, or a zombie. The daemon's helper
# that started headsaver exits at the same moment, so the ended headsaver
# waits for the system's first process to reap it, which takes its time.
ended() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
  [ -z "$state" ] || [ "$state" = Z ]
}

daemon_case() {
  local name="XScreenSaver starts headsaver --root, the medal moves, deactivation ends it"
  local home="$work/home" logs="$work/sanitizer-logs"
  mkdir -p "$home" "$logs"
  # The daemon nices its hacks (10 by default); on a machine busy with
  # other tests a niced, sanitised headsaver gets so little of the CPU that
  # its ending (LeakSanitizer's scan included) takes a second or more.
  cat >"$home/.xscreensaver" <<EOF
nice: 0
mode: one
selected: 0
lock: False
splash: False
fade: False
unfade: False
timeout: 0:30:00
programs: GL: "Head" $saver --root \\n
EOF
  chown -R "$user" "$home" "$logs"
  xhost "+si:localuser:$user" >/dev/null
  # The daemon's environment reaches the hacks it starts: sanitizer reports
  # go to files in the log folder.
  local as_user=(runuser -u "$user" -- env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$PATH"
    ASAN_OPTIONS="log_path=$logs/asan" UBSAN_OPTIONS="log_path=$logs/ubsan")
  "${as_user[@]}" xscreensaver --no-splash >"$work/daemon.log" 2>&1 &
  local daemon=$!
  pids+=("$daemon")
  local i activated=""
  for ((i = 0; i < 100; i++)); do
    "${as_user[@]}" xscreensaver-command -activate >/dev/null 2>&1 && { activated=1; break; }
    sleep 0.2
  done
  [ -n "$activated" ] || { not_ok "$name" "xscreensaver-command -activate failed: $(tail -n 3 "$work/daemon.log")"; return; }
  local hack=""
  for ((i = 0; i < 200; i++)); do
    hack=$(pgrep -u "$user" -f "^$saver --root" | head -n 1)
    [ -n "$hack" ] && break
    sleep 0.1
  done
  [ -n "$hack" ] || { not_ok "$name" "no headsaver process: $(tail -n 5 "$work/daemon.log")"; return; }
  wait_for_picture "$work/daemon-1.png" root medal 30 || { not_ok "$name" "screen: $why"; return; }
  display_wait_change "$work/daemon-1.png" 30 1000 || { not_ok "$name" "the picture did not change in 30 s"; return; }
  "${as_user[@]}" xscreensaver-command -deactivate >/dev/null 2>&1
  # Gone, with any sanitizer report written, within a generous limit.
  local deadline=$((SECONDS + 60))
  while ! ended "$hack" && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  kill "$daemon"
  wait "$daemon" 2>/dev/null
  if compgen -G "$logs/*" >/dev/null; then
    not_ok "$name" "sanitizer reports: $(head -c 2000 "$logs"/*)"
    return
  fi
  ended "$hack" || { not_ok "$name" "headsaver still ran 60 s after -deactivate"; return; }
  ok "$name"
}

# --- 2. --window-id, and a resize ---

# Starts host_window ARGS... and polls (at most 30 s) for the id of its
# window. Sets host (its process) and window (the id).
start_host_window() {
  local tool_out="$work/host_window.out" i
  : >"$tool_out"
  "$build/tests/xscreensaver/host_window" "$@" >"$tool_out" &
  host=$!
  pids+=("$host")
  window=""
  for ((i = 0; i < 300; i++)); do window=$(head -n 1 "$tool_out"); [ -n "$window" ] && break; sleep 0.1; done
  [ -n "$window" ]
}

# In a window of host_window (ARGS: its visual, as host_window takes it):
# the picture fills the window, drawn into it directly or into CHILDREN (0
# or 1) windows headsaver made inside it; then the window at another size;
# SIGTERM ends headsaver with 0; started again, it ends with 0 when the
# window is destroyed.
window_id_case() {
  local what=$1 children=$2
  shift 2
  local name="--window-id, $what: the picture fills the window, and again after a resize; SIGTERM ends it with 0"
  local host window i
  start_host_window 320 240 "$@" || { not_ok "$name" "host_window showed no window"; return; }
  start_saver -window-id "$window"
  wait_for_picture "$work/window-1.png" "$window" medal 30 "$hs_pid" || { not_ok "$name" "320x240: $why"; stop_saver; return; }
  local made
  made=$(xwininfo -children -id "$window" | sed -n 's/^ *\([0-9]*\) child.*/\1/p')
  [ "$made" = "$children" ] || { not_ok "$name" "$made windows inside the window, expected $children"; stop_saver; return; }
  xdotool windowsize "$window" 640 400
  local size="" end=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$end" ]; do
    display_screenshot "$work/window-2.png" "$window"
    size=$(identify -format '%wx%h' "$work/window-2.png" 2>/dev/null)
    [ "$size" = 640x400 ] && fills_picture "$work/window-2.png" medal && break
    sleep 0.25
  done
  if [ "$size" != 640x400 ] || ! fills_picture "$work/window-2.png" medal; then
    not_ok "$name" "after the resize to 640x400 (picture $size): $why"
    stop_saver
    return
  fi
  stop_saver
  ok_if_clean "$name" "SIGTERM: " || return

  name="--window-id, $what: the window destroyed, headsaver ends with 0"
  start_saver --window-id "$window"
  wait_for_picture "$work/window-3.png" "$window" medal 30 "$hs_pid" || { not_ok "$name" "$why"; stop_saver; return; }
  kill "$host"
  wait "$host" 2>/dev/null
  for ((i = 0; i < 200; i++)); do kill -0 "$hs_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$hs_pid" 2>/dev/null; then not_ok "$name" "still running 20 s later"; stop_saver; return; fi
  wait "$hs_pid"
  status=$?
  ok_if_clean "$name"
}

# --- 3. --model ---

# Runs headsaver in its own window with ARGS..., waits for a picture that
# fills the view (KIND as for fills_picture) and ends it with KEY; checks
# stderr against EXPECTED_STDERR (exact).
own_window_run() {
  local name=$1 kind=$2 key=$3 expected_err=$4
  shift 4
  start_saver "$@"
  if ! wait_for_window headsaver; then
    local running=ended
    kill -0 "$hs_pid" 2>/dev/null && running=running
    not_ok "$name" "no window named headsaver (headsaver $running; stderr [$(head -c 500 "$work/err")]; windows: $(xwininfo -root -tree | grep -c '^ *0x'))"
    stop_saver
    return
  fi
  if ! wait_for_picture "$work/model.png" root "$kind" 30 "$hs_pid"; then
    cp "$work/model.png" "$work/failed-$passed-$failed.png" 2>/dev/null
    not_ok "$name" "$why"
    stop_saver
    return
  fi
  # Keys reach the focused window, as a user's do.
  xdotool windowfocus "$window_id" key "$key" >/dev/null 2>&1
  local i
  for ((i = 0; i < 200; i++)); do kill -0 "$hs_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$hs_pid" 2>/dev/null; then not_ok "$name" "$key did not end it"; stop_saver; return; fi
  wait "$hs_pid"
  status=$?
  local err
  err=$(cat "$work/err")
  if [ "$status" -ne 0 ] || [ "$err" != "$expected_err" ]; then
    not_ok "$name" "status $status, stderr [$(head -c 2000 <<<"$err")], expected [$expected_err]"
    return
  fi
  ok "$name"
}

model_cases() {
  if [ -d "$corpus" ]; then
    # From a few units across to a thousand; one of 31,460 faces.
    local file
    for file in fels.3ds mp5_sil.3ds cubes_with_alpha.3DS pyramob.3DS; do
      if [ -f "$corpus/$file" ]; then
        own_window_run "--model $file fills the view; Escape ends it with 0" model Escape "" --model "$corpus/$file"
      else
        echo "ok - --model $file # skipped: not in $corpus"
      fi
    done
  else
    echo "ok - --model with corpus files # skipped: $corpus is absent"
  fi
  local bad="$root_dir/tests/CMakeLists.txt"
  own_window_run "--model with a file the reader rejects: its text, and the medal; q ends it" medal q \
    "headsaver: $bad: This is not 3ds data." -model "$bad"
  own_window_run "--model with a missing file: why, and the medal" medal Escape \
    "headsaver: $work/missing.3ds: No such file or directory" --model "$work/missing.3ds"
  # A FIFO would block a program that opened it for reading until a writer
  # came: it is refused without being opened.
  mkfifo "$work/pipe.3ds"
  own_window_run "--model with a FIFO: refused without waiting for it, and the medal" medal Escape \
    "headsaver: $work/pipe.3ds: not a regular file: a FIFO" --model "$work/pipe.3ds"
  look_cases
  format_cases
}

# A cube of each other format the saver reads fills the view in the colour
# its file gives it (STL by its faces' colours, OBJ by its material's
# texture, glTF binary by its material), ended by SIGTERM with 0 and
# nothing on stderr; a damaged file of each: its reason, and the medal.
format_cases() {
  write_test_models "$work/models"
  local file colour seen name
  for file in red.stl green.obj blue.glb; do
    colour=${file%%.*}
    name="--model $file shows the cube in $colour"
    start_saver --model "$work/models/$file"
    if ! wait_for_window headsaver || ! wait_for_picture "$work/format.png" "$window_id" model 30 "$hs_pid"; then
      not_ok "$name" "no picture of the model: ${why:-no window}"
      stop_saver
      continue
    fi
    local end=$((SECONDS + 30))
    until seen=$(picture_dominant_channel "$work/format.png"); [ "$seen" = "$colour" ] || [ "$SECONDS" -ge "$end" ]; do
      sleep 0.5
      display_screenshot "$work/format.png" "$window_id"
    done
    stop_saver
    [ "$seen" = "$colour" ] || cp "$work/format.png" "$work/failed-$colour.png"
    judge_sigterm_run "$name" "$([ "$seen" = "$colour" ] || echo "the picture's dominant channel is $seen")"
  done
  local format why
  for format in stl obj glb; do
    why=MODELS_BROKEN_${format^^}_WHY
    own_window_run "--model with a damaged .$format file: why, and the medal" medal Escape \
      "headsaver: $work/models/broken.$format: ${!why}" --model "$work/models/broken.$format"
  done
}

# ok NAME, unless PROBLEM is given or the run just ended by SIGTERM left a
# status other than 0 or anything on stderr.
judge_sigterm_run() {
  if [ -n "$2" ]; then
    not_ok "$1" "$2"
  elif [ "$status" -ne 0 ] || [ -s "$work/err" ]; then
    not_ok "$1" "SIGTERM: status $status, stderr: $(head -c 2000 "$work/err")"
  else
    ok "$1"
  fi
}

# The lit pixels' mean chroma (the largest of red, green and blue less the
# smallest), 0 to 1: 0 for grey. Pixels below 0.06 in brightness are not
# lit.
lit_chroma() {
  local chroma lit
  chroma=$(convert "$1" -colorspace HCL -channel G -separate -format '%[fx:mean]' info: 2>/dev/null)
  lit=$(picture_share_above "$1" 0.06)
  awk -v c="$chroma" -v l="$lit" 'BEGIN { printf "%.4f\n", (l > 0 ? c / l : 0) }'
}

# A model whose one material is gold (diffuse 208, 113, 35) shows it in
# colour; with --plain, as the medal is drawn, in grey. Ended by SIGTERM
# with 0 and nothing on stderr.
look_cases() {
  local file=pyramob.3DS
  if [ ! -f "$corpus/$file" ]; then
    echo "ok - --model $file in its colours, and in grey with --plain # skipped: not in $corpus"
    return
  fi
  local look name chroma
  for look in colour grey; do
    local args=(--model "$corpus/$file")
    name="--model $file shows its gold material in colour"
    if [ "$look" = grey ]; then
      args+=(--plain)
      name="--model $file --plain shows it in grey, as the medal"
    fi
    start_saver "${args[@]}"
    if ! wait_for_window headsaver || ! wait_for_picture "$work/look.png" "$window_id" model 30 "$hs_pid"; then
      not_ok "$name" "no picture of the model: ${why:-no window}"
      stop_saver
      continue
    fi
    # The first frames may come before the model's own look; poll.
    local end=$((SECONDS + 30))
    while :; do
      chroma=$(lit_chroma "$work/look.png")
      if [ "$look" = colour ]; then picture_gt "$chroma" 0.1 && break; else picture_gt 0.02 "$chroma" && break; fi
      [ "$SECONDS" -lt "$end" ] || break
      sleep 0.5
      display_screenshot "$work/look.png" "$window_id"
    done
    stop_saver
    local problem=""
    if [ "$look" = colour ] && ! picture_gt "$chroma" 0.1; then
      # This check needs the renderer that draws a user's model as the file
      # says (each face in its material's colours); drawn plain, it fails.
      cp "$work/look.png" "$work/failed-colour.png"
      problem="lit pixels' mean chroma $chroma, not above 0.1: grey"
    elif [ "$look" = grey ] && ! picture_gt 0.02 "$chroma"; then
      problem="lit pixels' mean chroma $chroma, not below 0.02"
    fi
    judge_sigterm_run "$name (chroma $chroma)" "$problem"
  done
}

# Escape while headsaver pauses for a minute after its first frame: it
# ends long before the pause would be over, with 0. On x86-64 it is first
# seen waiting in poll (system call 7) for more than 10 s, so that the key
# comes in the middle of the pause, not before it.
long_delay_case() {
  local name="--delay 60000000: Escape in the middle of the pause ends it with 0 before the pause is over"
  start_saver --delay 60000000
  wait_for_window headsaver || { not_ok "$name" "no window named headsaver"; stop_saver; return; }
  if [ "$(uname -m)" = x86_64 ]; then
    local i call fds count timeout paused=""
    for ((i = 0; i < 300; i++)); do
      read -r call fds count timeout _ <"/proc/$hs_pid/syscall" 2>/dev/null
      if [ "$call" = 7 ] && [ $((timeout)) -gt 10000 ]; then paused=1; break; fi
      sleep 0.1
    done
    [ -n "$paused" ] || { not_ok "$name" "not seen pausing in poll (last: $call $fds $count $timeout)"; stop_saver; return; }
  fi
  xdotool windowfocus "$window_id" key Escape >/dev/null 2>&1
  local end=$((SECONDS + 30))
  while kill -0 "$hs_pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ]; do sleep 0.1; done
  if kill -0 "$hs_pid" 2>/dev/null; then not_ok "$name" "still running 30 s after Escape"; stop_saver; return; fi
  wait "$hs_pid"
  status=$?
  ok_if_clean "$name"
}

# --- 4. The pace that --delay sets ---

# headsaver's measuring build (headsaver_probe, whose frame report counts
# the frames drawn) with --delay 100000 in a window of host_window: a pause
# of 0.1 s after each frame allows at most 10 frames a second, and drawing
# so small a picture takes little more. Over 3 s after its first picture
# the report's rate must not pass 11 (a pause that does not wait draws
# many times as fast) nor fall below 2 (a loop that stalls draws hardly
# any). Ended by SIGTERM with 0 and nothing on stderr.
pace_case() {
  local name="--delay 100000: the frame report counts at most 10 frames a second, and not far fewer"
  local report="$work/pace-report.txt" host window
  start_host_window 160 120 || { not_ok "$name" "host_window showed no window"; return; }
  HEADSAVER_PROBE_FILE="$report" saver="$build/headsaver/headsaver_probe" start_saver --window-id "$window" --delay 100000
  wait_for_picture "$work/pace.png" "$window" medal 30 "$hs_pid" || { not_ok "$name" "$why"; stop_saver; return; }
  # The span of the measure, not a wait for anything.
  sleep 3
  stop_saver
  kill "$host"
  wait "$host" 2>/dev/null
  local frames fps
  frames=$(awk '$1 == "frames" { print $2 }' "$report" 2>/dev/null)
  fps=$(awk '$1 == "fps" { print $2 }' "$report" 2>/dev/null)
  if [ "$status" -ne 0 ] || [ -s "$work/err" ]; then
    not_ok "$name" "status $status, stderr: $(head -c 2000 "$work/err")"
  elif [ -z "$fps" ] || picture_gt "$fps" 11 || picture_gt 2 "$fps"; then
    not_ok "$name" "${frames:-no} frames at ${fps:-no} per second (report: $(paste -sd ' ' "$report" 2>/dev/null))"
  else
    ok "$name ($frames frames at $fps per second)"
  fi
}

# --- 5. Failures ---

failure_cases() {
  local name="a window id that does not exist: one line, status 1"
  local err status
  err=$("$saver" --window-id 0x1fffff0 2>&1)
  status=$?
  if [ "$status" -eq 1 ] && [ "$err" = "headsaver: no window 0x1fffff0 on display $DISPLAY" ]; then
    ok "$name"
  else
    not_ok "$name" "status $status, output [$err]"
  fi

  name="a display without GLX: one line, status 1"
  display_start -extension GLX || exit 1
  err=$("$saver" --root 2>&1)
  status=$?
  if [ "$status" -eq 1 ] && [ "$err" = "headsaver: the X display $DISPLAY has no OpenGL (GLX)" ]; then
    ok "$name"
  else
    not_ok "$name" "status $status, output [$err]"
  fi
}

daemon_case
window_id_case "a GL visual" 0
# GL draws no depth in this window: headsaver draws in a child of its own.
window_id_case "a visual without a depth buffer" 1 no-depth
model_cases
long_delay_case
pace_case
failure_cases

echo "# $passed passed, $failed failed"
[ "$failed" -eq 0 ]
