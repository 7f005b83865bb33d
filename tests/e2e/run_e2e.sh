#!/usr/bin/env bash
# End-to-end suite of the saver: runs head.scr under Wine on a private
# virtual X display, as Windows starts it, and checks what it shows and how
# it exits. Prints one "ok - NAME" or "not ok - NAME: reason" line a check
# and exits 1 if any failed.
#
# Usage: tests/e2e/run_e2e.sh BUILD_DIR
#   BUILD_DIR holds head.scr, head_probe.scr, head_nomodel.scr and
#   the helpers tests/e2e/preview_host.exe, list_windows.exe and
#   post_messages.exe.
# E2E_KEEP=1 keeps the work folder (screenshots, probe files) for a look;
# E2E_ONLY names the groups of checks to run (the test_* functions below).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/models.sh"

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
E2E_TOOLS="$build/tests/e2e"
saver="$build/head.scr"
probe_saver="$build/head_probe.scr"
nomodel_saver="$build/head_nomodel.scr"
resources="$here/../../resources"

for tool in wine wineboot wineserver Xvfb xdpyinfo xdotool import convert compare awk; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (run scripts/install-deps.sh)" >&2; exit 2; }
done
for file in "$saver" "$probe_saver" "$nomodel_saver" "$E2E_TOOLS/preview_host.exe" "$E2E_TOOLS/list_windows.exe" \
  "$E2E_TOOLS/post_messages.exe"; do
  [ -f "$file" ] || { echo "missing $file (build the windows preset)" >&2; exit 2; }
done

trap e2e_teardown EXIT
trap 'exit 130' INT TERM
e2e_setup || { echo "could not set up the display and Wine" >&2; exit 2; }
screen_size=$(e2e_display_size)
screen_w=${screen_size%x*}
screen_h=${screen_size#*x}
shots="$E2E_WORK/shots"
mkdir -p "$shots"

# --- full screen -----------------------------------------------------------

# Starts "head.scr ARGS" with the pointer at the screen's middle and waits
# for its full-screen window. Sets E2E_PID and E2E_XID; false and E2E_WHY on
# failure.
start_full_screen() {
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  e2e_start "$saver" "$@"
  e2e_wait_window '^Head$' "$E2E_PID" 30
}

# Returns once the saver has taken all the input X holds for it. Wine reads
# a thread's X events when the thread waits for messages, or else every 200
# messages or so; the saver draws on WM_PAINT, so it never waits and reads X
# only every 200 frames, and moves read together merge into one
# WM_MOUSEMOVE. 300 posted WM_NULL make it read X; posted and input
# messages all come before WM_PAINT, so a frame begun after they were posted
# proves they and the input were handled. The first change of the picture
# may be a frame begun before: wait for three. flush_input HWND
flush_input() {
  wine "$E2E_TOOLS/post_messages.exe" "$1" 0 300 >/dev/null 2>&1 || return 1
  local change
  for change in 1 2 3; do
    display_screenshot "$shots/settle.png"
    display_wait_change "$shots/settle.png" 60 || return 1
  done
}

test_full_screen_window() {
  local name=full_screen_window
  start_full_screen /s || { e2e_not_ok $name "$E2E_WHY"; e2e_stop "$E2E_PID"; return; }
  local pid=$E2E_PID xid=$E2E_XID line
  line=$(e2e_window_line Head)
  local class x y w h
  class=$(printf '%s' "$line" | sed -n 's/.*class=\[\([^]]*\)\].*/\1/p')
  x=$(e2e_field x "$line"); y=$(e2e_field y "$line"); w=$(e2e_field w "$line"); h=$(e2e_field h "$line")
  local problems=""
  [ "$class" = OpenGL ] || problems+=" class is '$class', not OpenGL;"
  [ "$x,$y,$w,$h" = "0,0,$screen_w,$screen_h" ] || problems+=" window at $x,$y size ${w}x$h, not the screen;"
  [ "$(e2e_display_size)" = "$screen_size" ] || problems+=" display mode changed to $(e2e_display_size);"
  if [ -z "$problems" ]; then e2e_ok $name; else e2e_not_ok $name "$problems"; fi

  # The cursor of the foreground input, which is the saver's.
  name=full_screen_hides_the_cursor
  local cursor i
  for ((i = 0; i < 50; i++)); do
    cursor=$(e2e_windows | grep '^cursor ')
    [ "$(e2e_field showing "$cursor")" = 0 ] && break
    sleep 0.2
  done
  if [ "$(e2e_field showing "$cursor")" = 0 ]; then e2e_ok $name; else e2e_not_ok $name "list_windows says '$cursor'"; fi

  # The medal: lit in the middle, black in the corners.
  name=full_screen_draws_the_model
  e2e_wait_for_medal "$shots/full.png"
  problems=$(e2e_medal_problems "$shots/full.png")
  if [ -z "$problems" ]; then e2e_ok $name; else e2e_not_ok $name "$problems"; fi

  name=full_screen_animates
  if display_wait_change "$shots/full.png" 30 300; then e2e_ok $name; else e2e_not_ok $name "the picture did not change in 30 s"; fi

  name=full_screen_ends_on_a_key
  e2e_key "$xid" space
  if e2e_wait_exit "$pid" 30; then
    if [ "$E2E_STATUS" -eq 0 ]; then e2e_ok $name; else e2e_not_ok $name "exit status $E2E_STATUS"; fi
  else
    e2e_not_ok $name "$E2E_WHY"
  fi
  e2e_stop "$pid"
}

# Installed in a folder whose name has letters above 0x7F ("Användare") and
# started with the program's name unquoted, as a command interpreter passes
# it: the name is skipped whole and "/s" still starts the full-screen run.
test_folder_with_a_swedish_name() {
  local name=unquoted_path_with_a_swedish_folder_name folder="$E2E_WORK/Användare"
  mkdir -p "$folder" && cp "$saver" "$folder/head.scr"
  local windows_path
  windows_path=$(winepath -w "$folder/head.scr" 2>/dev/null | tr -d '\r')
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  e2e_start cmd /c "$windows_path /s"
  local pid=$E2E_PID
  if ! e2e_wait_window '^Head$' "$pid" 30; then
    e2e_not_ok $name "no full-screen window: ${E2E_WHY:-} $(e2e_windows | grep '^window ' | paste -sd ';' -)"
    e2e_stop "$pid"
    return
  fi
  e2e_key "$E2E_XID" space
  e2e_expect_exit_0 $name "$pid"
  e2e_stop "$pid"
}

# Each switch that starts the saver, ended by a key.
test_switches() {
  local switch
  for switch in -s /S /l -l; do
    local name="switch_${switch//\//slash_}_starts_the_saver"
    if ! start_full_screen "$switch"; then
      e2e_not_ok "$name" "$E2E_WHY"
      e2e_stop "$E2E_PID"
      continue
    fi
    e2e_key "$E2E_XID" Escape
    e2e_expect_exit_0 "$name" "$E2E_PID"
    e2e_stop "$E2E_PID"
  done
}

# A button pressed through X ends the run (which button messages close the
# saver, and which do not, saver_window_tests checks message by message).
test_mouse_buttons() {
  local button
  for button in 1; do
    local name="full_screen_ends_on_mouse_button_$button"
    if ! start_full_screen /s; then
      e2e_not_ok "$name" "$E2E_WHY"
      e2e_stop "$E2E_PID"
      continue
    fi
    xdotool click --window "$E2E_XID" "$button" >/dev/null 2>&1
    # Released through the server too, as e2e_key does for keys.
    xdotool mouseup "$button" >/dev/null 2>&1
    e2e_expect_exit_0 "$name" "$E2E_PID"
    e2e_stop "$E2E_PID"
  done
}

# WM_MOUSEMOVE counting. Wine makes one WM_MOUSEMOVE of the pointer
# entering the new window and one of each move to a new point, and now and
# then one more (a crossing or a focus change): how many there were is
# what the measuring build's report counts. The pointer moves one point at
# a time, each move read before the next; the saver must end on the move
# that made the count four, and not before.
test_mouse_moves() {
  local name=three_mouse_moves_leave_the_saver_running report="$E2E_WORK/moves-probe.txt"
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  HEAD_PROBE_FILE="$report" e2e_start "$probe_saver" /s
  local pid=$E2E_PID step hwnd
  if ! e2e_wait_window '^Head$' "$pid" 30 || ! hwnd=$(e2e_field hwnd "$(e2e_window_line Head)") ||
    [ -z "$hwnd" ] || ! e2e_wait_for_medal "$shots/moves.png"; then
    e2e_not_ok $name "the saver draws nothing: ${E2E_WHY:-}"
    e2e_not_ok fourth_mouse_move_ends_the_saver "not run"
    e2e_stop "$pid"
    return
  fi
  flush_input "$hwnd"
  for ((step = 1; step <= 6; step++)); do
    e2e_running "$pid" || break
    xdotool mousemove --sync $((screen_w / 2 + 40 * step)) $((screen_h / 2 + 30 * step)) >/dev/null 2>&1
    # flush_input sees frames drawn after the move was handled, or the
    # saver gone.
    flush_input "$hwnd"
  done
  local moves=""
  if e2e_wait_exit "$pid" 30 && [ "$E2E_STATUS" -eq 0 ]; then
    moves=$(tr -d '\r' <"$report" 2>/dev/null | awk '$1 == "mouse_moves" { print $2 }')
  fi
  if [ -n "$(e2e_box_ids)" ]; then
    e2e_not_ok $name "$(e2e_box_report)"
  elif [ -z "$moves" ] || [ "$moves" -ge 4 ]; then
    e2e_ok $name
  else
    e2e_not_ok $name "ended after $moves mouse-move messages"
  fi
  name=fourth_mouse_move_ends_the_saver
  if [ -z "$moves" ]; then
    e2e_not_ok $name "still running (or not ended with 0) after $((step - 1)) moves: ${E2E_WHY:-status ${E2E_STATUS:-}}"
  elif [ "$moves" -eq 4 ]; then
    e2e_ok $name
  else
    e2e_not_ok $name "ended after $moves mouse-move messages, not 4"
  fi
  e2e_stop "$pid"
}

# --- switches that end at once ---------------------------------------------

# run_quick NAME EXPECTED_STATUS ARGS...: the program must end by itself
# within 30 s with the status, showing no saver or configure window.
run_quick() {
  local name=$1 expected=$2
  shift 2
  e2e_start "$@"
  local pid=$E2E_PID i seen=""
  for ((i = 0; i < 300; i++)); do
    if [ -n "$(xdotool search --onlyvisible --name '^(Head|Tral.*v .*r en livsstil\.\.\.)$' 2>/dev/null)" ]; then
      seen="it opened a window"
      break
    fi
    [ -n "$(e2e_box_ids)" ] && break
    e2e_running "$pid" || break
    sleep 0.1
  done
  if [ -n "$seen" ]; then
    e2e_not_ok "$name" "$seen"
  elif ! e2e_wait_exit "$pid" 30; then
    e2e_not_ok "$name" "$E2E_WHY"
  elif [ "$E2E_STATUS" -ne "$expected" ]; then
    e2e_not_ok "$name" "exit status $E2E_STATUS, not $expected"
  else
    e2e_ok "$name"
  fi
  e2e_stop "$pid"
}

test_quick_exits() {
  run_quick password_switch_ends_at_once 0 "$saver" /a
  # Built without the model: -3, which Wine hands the shell as 253.
  run_quick missing_model_ends_with_minus_3 253 "$nomodel_saver" /a
}

# Without the model the full-screen run ends with -3 right after its window
# changed the display mode and announced a running saver; both are undone
# first. The platform's calls, as Wine's relay trace lists them, show the
# order.
test_missing_model_full_screen() {
  local name=missing_model_full_screen_restores_display_and_announcement trace="$E2E_WORK/nomodel-relay.txt" status=0
  WINEDEBUG=+relay timeout 120 wine "$nomodel_saver" /s 2>"$trace" >/dev/null || status=$?
  local calls
  calls=$(grep -E 'Call user32\.(ChangeDisplaySettingsA|SystemParametersInfoA\(00000061)' "$trace" |
    sed -E 's/^[0-9a-f]+:Call user32\.//; s/\) ret=.*$/)/; s/^(SystemParametersInfoA\([0-9a-f]+,[0-9a-f]+),.*$/\1)/' |
    paste -sd ' ' -)
  local expected='ChangeDisplaySettingsA\([0-9a-f]+,00000004\) SystemParametersInfoA\(00000061,00000001\) ChangeDisplaySettingsA\(00000000,00000000\) SystemParametersInfoA\(00000061,00000000\)$'
  if [ "$status" -ne 253 ]; then
    e2e_not_ok $name "exit status $status, not 253"
  elif ! printf '%s' "$calls" | grep -Eq "^$expected"; then
    e2e_not_ok $name "display and announcement calls: '$calls'"
  elif [ "$(e2e_display_size)" != "$screen_size" ]; then
    e2e_not_ok $name "display mode is now $(e2e_display_size)"
  else
    e2e_ok $name
  fi
  rm -f "$trace"
}

# A model the reader rejects: the saver still runs full screen, draws empty
# black frames, and ends on a key with 0. Its build reports its frames and
# saves one, as the measuring build does.
test_unreadable_model() {
  local name=unreadable_model_shows_black_frames probe="$E2E_WORK/badmodel-probe.txt"
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  HEAD_PROBE_FILE="$probe" e2e_start "$build/head_badmodel.scr" /s
  local pid=$E2E_PID i
  if ! e2e_wait_window '^Head$' "$pid" 30; then
    e2e_not_ok $name "$E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  local xid=$E2E_XID end=$((SECONDS + 60))
  # The frame file is written at once: wait until it is whole.
  until [ "$(identify -format '%wx%h' "$probe.ppm" 2>/dev/null)" = "${screen_w}x$screen_h" ] || [ "$SECONDS" -ge "$end" ]; do
    sleep 0.1
  done
  local problems=""
  if ! [ -s "$probe.ppm" ]; then
    problems+=" no frame saved;"
  else
    [ "$(identify -format '%wx%h' "$probe.ppm" 2>/dev/null)" = "${screen_w}x$screen_h" ] || problems+=" frame is not the screen's size;"
    local brightest
    brightest=$(convert "$probe.ppm" -format '%[fx:maxima]' info: 2>/dev/null)
    [ "$brightest" = 0 ] || problems+=" the frame is not black (brightest $brightest);"
  fi
  [ -z "$(e2e_box_ids)" ] || problems+=" $(e2e_box_report);"
  e2e_running "$pid" || problems+=" the saver ended by itself;"
  e2e_key "$xid" space
  if ! e2e_wait_exit "$pid" 30; then
    problems+=" $E2E_WHY;"
  elif [ "$E2E_STATUS" -ne 0 ]; then
    problems+=" exit status $E2E_STATUS;"
  else
    local frames
    frames=$(tr -d '\r' <"$probe" | awk '$1 == "frames" { print $2 }')
    [ "${frames:-0}" -ge 20 ] || problems+=" only '${frames:-}' frames;"
  fi
  if [ -z "$problems" ]; then e2e_ok $name; else e2e_not_ok $name "$problems"; fi
  e2e_stop "$pid"
}

# --- configure window -------------------------------------------------------

configure_title='Tralöv är en livsstil...'

# check_configure NAME PID X Y W H [BW BH]: the configure window lies at X,Y
# with outer size WxH, shows the picture and has the button, placed for an
# outer size of BWxBH (default WxH); pressing the button ends the program
# with 0.
check_configure() {
  local name=$1 pid=$2 ex=$3 ey=$4 ew=$5 eh=$6 bw0=${7:-$5} bh0=${8:-$6}
  if ! e2e_wait_window '^Tral.*v .*r en livsstil\.\.\.$' "$pid" 30; then
    e2e_not_ok "$name" "$E2E_WHY"
    return 1
  fi
  local xid=$E2E_XID xname
  xname=$(xdotool getwindowname "$xid")
  local all line
  all=$(e2e_windows)
  line=$(printf '%s\n' "$all" | awk -v t="title=[$configure_title]" 'index($0, "window ") == 1 && index($0, t) { print; exit }')
  local problems=""
  [ "$xname" = "$configure_title" ] || problems+=" X name is '$xname';"
  if [ -z "$line" ]; then
    e2e_not_ok "$name" "no Win32 window titled '$configure_title'"
    return 1
  fi
  local class hwnd x y w h style cx cy
  class=$(printf '%s' "$line" | sed -n 's/.*class=\[\([^]]*\)\].*/\1/p')
  hwnd=$(e2e_field hwnd "$line")
  x=$(e2e_field x "$line"); y=$(e2e_field y "$line"); w=$(e2e_field w "$line"); h=$(e2e_field h "$line")
  cx=$(e2e_field client_x "$line"); cy=$(e2e_field client_y "$line")
  style=$(e2e_field style "$line")
  [ "$class" = Saver ] || problems+=" class '$class', not Saver;"
  [ "$x,$y,$w,$h" = "$ex,$ey,$ew,$eh" ] || problems+=" at $x,$y size ${w}x$h, not $ex,$ey ${ew}x$eh;"
  # WS_POPUP and WS_DLGFRAME, no WS_BORDER (so no caption).
  (((style & 0x80C00000) == 0x80400000)) || problems+=" style $style is not WS_POPUP|WS_DLGFRAME;"
  local button
  button=$(printf '%s\n' "$all" | awk -v p="parent=$hwnd " 'index($0, "child ") == 1 && index($0, p) && index($0, "class=[Button]") && index($0, "text=[Skål!]")')
  local bx by bw bh bsx bsy btext
  bx=$(e2e_field x "$button"); by=$(e2e_field y "$button"); bw=$(e2e_field w "$button"); bh=$(e2e_field h "$button")
  bsx=$(e2e_field screen_x "$button"); bsy=$(e2e_field screen_y "$button")
  btext=$(printf '%s' "$button" | sed -n 's/.*text=\[\([^]]*\)\].*/\1/p')
  [ "$(printf '%s\n' "$button" | grep -c .)" -eq 1 ] || problems+=" $(printf '%s\n' "$button" | grep -c .) buttons;"
  [ "$btext" = 'Skål!' ] || problems+=" button text '$btext';"
  [ "$bx,$by,$bw,$bh" = "$((bw0 / 2 - 40)),$((bh0 - 40)),75,22" ] ||
    problems+=" button at $bx,$by size ${bw}x$bh, not $((bw0 / 2 - 40)),$((bh0 - 40)) 75x22;"

  # The picture at client (7,7): the picture resource, pixel for pixel
  # (allowing for rounding of its colours).
  local shot="$shots/$name.png" diff="" end=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$end" ]; do
    display_screenshot "$shot"
    convert "$shot" -crop "360x290+$((cx + 7))+$((cy + 7))" +repage "$shots/$name-picture.png" 2>/dev/null
    diff=$(compare -metric AE -fuzz 3% "$shots/$name-picture.png" "$resources/testbild.bmp" null: 2>&1 | sed 's/ .*//')
    picture_gt 100 "$diff" && break
    sleep 0.2
  done
  picture_gt 100 "$diff" || problems+=" the picture at client (7,7) differs from testbild.bmp in $diff pixels;"
  picture_gt "$(picture_share_above "$shots/$name-picture.png" 0.6)" 0.1 || problems+=" the picture has few light pixels;"

  if [ -n "$problems" ]; then
    e2e_not_ok "$name" "$problems"
  else
    e2e_ok "$name"
  fi

  # Press the button where it is on the screen.
  name="${name}_button_ends_it"
  if [ -z "$bsx" ]; then
    e2e_not_ok "$name" "no button"
    return 1
  fi
  xdotool mousemove $((bsx + 37)) $((bsy + 11)) click 1
  return 0
}

test_configure() {
  local switch
  # An empty command line opens it as "/c" does.
  for switch in /c /save ""; do
    local name="configure_${switch#/}_window"
    [ -n "$switch" ] || name=configure_window_of_an_empty_command_line
    e2e_start "$saver" ${switch:+"$switch"}
    local pid=$E2E_PID
    if check_configure "$name" "$pid" 0 0 "$screen_w" "$screen_h"; then
      e2e_expect_exit_0 "${name}_button_ends_it" "$pid"
    fi
    e2e_stop "$pid"
  done

  # Over a host window: preview_host starts "head.scr /c:<hwnd>".
  local name=configure_over_host_window out="$E2E_WORK/host-configure.txt"
  e2e_host "$out" "$saver" 500 400 60 /c:
  local pid=$E2E_PID
  # Grown to the right to hold the settings (a client area 637 wide inside
  # a frame of 3 on each side); the button stays where the host's size puts it.
  if check_configure "$name" "$pid" 100 100 643 400 500 400; then
    if e2e_wait_exit "$pid" 60 && [ "$(e2e_host_value "$out" saver_exit)" = 0 ] &&
      grep -q '^saver_ended_before_destroy=1' "$out"; then
      e2e_ok "${name}_button_ends_it"
    else
      e2e_not_ok "${name}_button_ends_it" "${E2E_WHY:-host said: $(tr -d '\r' <"$out" | paste -sd ';' -)}"
    fi
  fi
  e2e_stop "$pid"
}

# --- preview ---------------------------------------------------------------

# Runs the preview host (e2e_host OUT SAVER W H SECONDS) to its end. Sets
# E2E_STATUS and E2E_SAID (what the host printed, on one line); on a host
# that does not end, reports NAME as failed and returns 1.
# run_host NAME OUT SAVER W H SECONDS
run_host() {
  local name=$1 out=$2
  shift 2
  e2e_host "$out" "$@"
  local pid=$E2E_PID
  if ! e2e_wait_exit "$pid" 120; then
    e2e_not_ok "$name" "$E2E_WHY"
    e2e_stop "$pid"
    return 1
  fi
  E2E_SAID=$(tr -d '\r' <"$out" | paste -sd ';' -)
}

test_preview() {
  local name=preview_child_window out="$E2E_WORK/host-preview.txt"
  run_host $name "$out" "$saver" 320 240 3 || return
  local said=$E2E_SAID
  if [ "$E2E_STATUS" -ne 0 ]; then
    e2e_not_ok $name "preview_host status $E2E_STATUS: $said"
  elif ! grep -qx 'child class=OpenGL x=0 y=0 w=320 h=240 visible=1' <(tr -d '\r' <"$out") ||
    [ "$(e2e_host_value "$out" child_count)" != 1 ]; then
    e2e_not_ok $name "expected one visible OpenGL child at 0,0 320x240: $said"
  else
    e2e_ok $name
  fi
  name=preview_ignores_input
  if [ "$(e2e_host_value "$out" alive_after_input)" = 1 ] && [ "$(e2e_host_value "$out" child_after_input)" = 1 ]; then
    e2e_ok $name
  else
    e2e_not_ok $name "$said"
  fi
  name=preview_ends_with_its_host
  if [ "$(e2e_host_value "$out" saver_exit)" = 0 ] && ! grep -q saver_ended_before_destroy "$out"; then
    e2e_ok $name
  else
    e2e_not_ok $name "$said"
  fi
}

# head_probe.scr saves its 20th frame: the preview draws the medal into the
# host's area.
test_preview_picture() {
  local name=preview_draws_the_model out="$E2E_WORK/host-probe.txt" probe="$E2E_WORK/probe/preview"
  mkdir -p "$(dirname "$probe")"
  rm -f "$probe" "$probe.ppm"
  HEAD_PROBE_FILE="$probe" PREVIEW_HOST_WAIT_FILE="$(winepath -w "$probe.ppm" 2>/dev/null)" \
    run_host $name "$out" "$probe_saver" 320 240 1 || return
  local said=$E2E_SAID
  if ! [ -f "$probe.ppm" ]; then
    e2e_not_ok $name "no frame saved ($said)"
  else
    local size problems=""
    size=$(identify -format '%wx%h' "$probe.ppm" 2>/dev/null)
    [ "$(head -c 2 "$probe.ppm")" = P6 ] || problems+=" not a P6 file;"
    [ "$size" = 320x240 ] || problems+=" frame is '$size', not 320x240;"
    problems+=$(e2e_medal_problems "$probe.ppm")
    if [ -z "$problems" ]; then e2e_ok $name; else e2e_not_ok $name "$problems"; fi
  fi
  name=probe_report
  if [ "$(e2e_host_value "$out" saver_exit)" != 0 ]; then
    e2e_not_ok $name "the probe saver did not end with 0: $said"
  elif ! [ -f "$probe" ]; then
    e2e_not_ok $name "no report at $probe"
  else
    local report frames
    report=$(tr -d '\r' <"$probe")
    frames=$(printf '%s\n' "$report" | awk '$1 == "frames" { print $2 }')
    local key missing=""
    for key in frames first_frame_ms cpu_ms_per_frame fps; do
      printf '%s\n' "$report" | grep -Eq "^$key [0-9]+(\.[0-9]+)?$" || missing+=" $key"
    done
    if [ -n "$missing" ]; then
      e2e_not_ok $name "missing or malformed:$missing ($(printf '%s' "$report" | paste -sd ';' -))"
    elif [ "${frames:-0}" -lt 20 ]; then
      e2e_not_ok $name "only $frames frames"
    else
      e2e_ok $name
      e2e_log "preview probe: $(printf '%s' "$report" | paste -sd ';' -)"
    fi
  fi
}

# A preview whose host is no window, or is destroyed before the preview's
# window exists (the settings dialog does that whenever the user moves on
# quickly), ends by itself with 0 and shows no box.
test_preview_without_host() {
  run_quick preview_of_a_number_that_is_no_window_ends_silently 0 "$saver" /p 12345
  run_quick preview_of_window_0_ends_silently 0 "$saver" /p 0
  local name=preview_whose_host_is_destroyed_at_once_ends_silently out="$E2E_WORK/host-gone.txt" run
  for run in 1 2 3; do
    run_host $name "$out" "$saver" 160 120 0 || return
    if [ "$E2E_STATUS" -ne 0 ] || [ "$(e2e_host_value "$out" saver_exit)" != 0 ] ||
      [ "$(e2e_host_value "$out" host_destroyed_at_once)" != 1 ]; then
      e2e_not_ok $name "run $run: preview_host status $E2E_STATUS: $E2E_SAID"
      return
    fi
  done
  e2e_ok $name
}

# --- "/s <hwnd>": a mode of the host's size does not exist -----------------

expected_mode_text='Lumo GL: The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'

# mode_fallback NAME ANSWER SECOND_TEXT
mode_fallback() {
  local name=$1 answer=$2 second=$3 out="$E2E_WORK/host-mode-$2.txt"
  e2e_host "$out" "$saver" 200 150 60 /s
  local pid=$E2E_PID
  if ! e2e_wait_box 'Lumo GL' "$pid" 30; then
    e2e_not_ok "$name" "$E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  local problems=""
  [ "$E2E_BOX_TEXT" = "$expected_mode_text" ] || problems+=" first box: '$E2E_BOX_TEXT';"
  if ! e2e_answer_box "$E2E_XID" 'Lumo GL' "$answer"; then
    e2e_not_ok "$name" "the box did not close on '$answer'"
    e2e_stop "$pid"
    return
  fi
  if ! e2e_wait_box ERROR "$pid" 30; then
    e2e_not_ok "$name" "$problems $E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  [ "$E2E_BOX_TEXT" = "ERROR: $second" ] || problems+=" second box: '$E2E_BOX_TEXT';"
  e2e_answer_box "$E2E_XID" ERROR OK || problems+=" the ERROR box did not close on OK;"
  if ! e2e_wait_exit "$pid" 60; then
    problems+=" $E2E_WHY;"
  elif [ "$(e2e_host_value "$out" saver_exit)" != 0 ]; then
    problems+=" host said: $(tr -d '\r' <"$out" | paste -sd ';' -);"
  fi
  [ "$(e2e_display_size)" = "$screen_size" ] || problems+=" display mode is now $(e2e_display_size);"
  if [ -z "$problems" ]; then e2e_ok "$name"; else e2e_not_ok "$name" "$problems"; fi
  e2e_stop "$pid"
}

# A failure after the GL window exists (the measuring build refuses the
# pixel format when asked): the window is gone, the box with the failure
# stays until it is answered, and the run ends with 0.
test_gl_failure_is_reported() {
  local name=pixel_format_failure_box_stays_until_answered
  HEAD_PROBE_REFUSE=pixel_format e2e_start "$probe_saver" /s
  local pid=$E2E_PID
  if ! e2e_wait_box ERROR "$pid" 30; then
    e2e_not_ok $name "$E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  local problems="" box=$E2E_XID i gl
  [ "$E2E_BOX_TEXT" = "ERROR: Can't Find A Suitable PixelFormat." ] || problems+=" box: '$E2E_BOX_TEXT';"
  # A box whose quit message is pending closes by itself within about 2 s.
  for ((i = 0; i < 50; i++)); do
    [ -n "$(xdotool search --onlyvisible --name '^ERROR$' 2>/dev/null)" ] || break
    sleep 0.1
  done
  if [ "$i" -lt 50 ]; then
    problems+=" the box closed by itself;"
  else
    gl=$(xdotool search --onlyvisible --name '^Head$' 2>/dev/null | head -n 1)
    [ -z "$gl" ] || e2e_wait_gone "$gl" || problems+=" the GL window is still there;"
    e2e_answer_box "$box" ERROR OK || problems+=" the box did not close on OK;"
  fi
  if ! e2e_wait_exit "$pid" 30; then
    problems+=" $E2E_WHY;"
  elif [ "$E2E_STATUS" -ne 0 ]; then
    problems+=" exit status $E2E_STATUS;"
  fi
  [ "$(e2e_display_size)" = "$screen_size" ] || problems+=" display mode is now $(e2e_display_size);"
  if [ -z "$problems" ]; then e2e_ok $name; else e2e_not_ok $name "$problems"; fi
  e2e_stop "$pid"
}

test_mode_fallback() {
  mode_fallback missing_mode_answered_no No 'Program Will Now Close.'
  mode_fallback missing_mode_answered_yes Yes 'Window Creation Error.'
}

# --- the user's model (the registry's Model) ---------------------------------

# users_model_frame NAME MODEL [LOOK]: head_probe.scr /s with the setting
# Model naming the file MODEL (none when MODEL is empty) and Look LOOK (none
# when not given), ended by a key; its 20th frame is left in
# $shots/NAME.ppm. False with E2E_WHY when there is no frame, a box shows or
# the run does not end with 0.
users_model_frame() {
  local probe="$E2E_WORK/$1-probe.txt" end=$((SECONDS + 60))
  wine reg delete 'HKCU\Software\Head' /f >/dev/null 2>&1
  [ -z "$2" ] || wine reg add 'HKCU\Software\Head' /v Model /t REG_SZ /d "$(winepath -w "$2" | tr -d '\r')" /f >/dev/null 2>&1
  [ -z "${3:-}" ] || wine reg add 'HKCU\Software\Head' /v Look /t REG_DWORD /d "$3" /f >/dev/null 2>&1
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  HEAD_PROBE_FILE="$probe" e2e_start "$probe_saver" /s
  local pid=$E2E_PID
  e2e_wait_window '^Head$' "$pid" 30 || { e2e_stop "$pid"; return 1; }
  until [ "$(identify -format '%wx%h' "$probe.ppm" 2>/dev/null)" = "${screen_w}x$screen_h" ] || [ "$SECONDS" -ge "$end" ] ||
    [ -n "$(e2e_box_ids)" ]; do
    sleep 0.1
  done
  E2E_WHY=$(e2e_box_report)
  [ -s "$probe.ppm" ] || E2E_WHY+=" no frame saved;"
  e2e_key "$E2E_XID" space
  if [ -z "$E2E_WHY" ] && e2e_wait_exit "$pid" 30 && [ "$E2E_STATUS" -ne 0 ]; then E2E_WHY="exit status $E2E_STATUS"; fi
  e2e_stop "$pid"
  mv -f "$probe.ppm" "$shots/$1.ppm" 2>/dev/null
  [ -z "$E2E_WHY" ]
}

# lit_share_ratio A B: the share of A's pixels brighter than 10 % over B's.
lit_share_ratio() {
  awk -v a="$(picture_share_above "$1" 0.1)" -v b="$(picture_share_above "$2" 0.1)" 'BEGIN { print (b > 0 ? a / b : 0) }'
}

# A model of the user's is shown in place of the medal (the medal lights
# 40 to 55 % of the screen as it sways, the jeep fitted in the middle less
# than a fifth of that, but not nothing); one that is missing or not 3DS
# data gives the medal, lit about as much as the medal with no setting, and
# no box.
test_users_model() {
  local jeep="$here/../../../shared/corpus/3ds/jeep1.3ds" medal="$shots/users_medal.ppm" name model ratio problems
  users_model_frame users_medal "" || { e2e_not_ok users_model_reference_medal "$E2E_WHY"; return; }
  for name in missing_model_shows_the_medal not_3ds_model_shows_the_medal corpus_model_shows_unlike_the_medal; do
    model=$E2E_WORK/no-model.3ds
    [ $name != not_3ds_model_shows_the_medal ] || model=$resources/testbild.bmp
    [ $name != corpus_model_shows_unlike_the_medal ] || model=$jeep
    if [ "$model" = "$jeep" ] && ! [ -f "$jeep" ]; then
      e2e_ok "$name # skipped: no corpus"
    elif ! users_model_frame $name "$model"; then
      e2e_not_ok $name "$E2E_WHY"
    else
      ratio=$(lit_share_ratio "$shots/$name.ppm" "$medal")
      if [ "$model" = "$jeep" ]; then
        problems=$(picture_gt "$ratio" 0.02 && picture_gt 0.4 "$ratio" || echo " lit $ratio times as much as the medal")
      else
        problems=$(e2e_medal_problems "$shots/$name.ppm"; picture_gt "$ratio" 0.6 || echo " lit $ratio times as much as the medal")
      fi
      if [ -z "$problems" ]; then e2e_ok $name; else e2e_not_ok $name "$problems"; fi
    fi
  done
  test_model_in_a_greek_folder "$medal"
  wine reg delete 'HKCU\Software\Head' /f >/dev/null 2>&1
}

# A cube of each other format the saver reads is shown by /s in the colour
# its file gives it (STL by its faces' colours, OBJ by its material's
# texture, glTF binary by its material); a damaged file of each gives the
# medal and no box.
test_model_formats() {
  local models="$E2E_WORK/models" file colour name seen problems
  write_test_models "$models"
  for file in red.stl green.obj blue.glb broken.stl broken.obj broken.glb; do
    colour=${file%%.*}
    name="${file//./_}_model_shows_in_$colour"
    [ "$colour" != broken ] || name="${file//./_}_model_shows_the_medal"
    if ! users_model_frame "$name" "$models/$file"; then
      e2e_not_ok "$name" "$E2E_WHY"
      continue
    fi
    if [ "$colour" = broken ]; then
      problems=$(e2e_medal_problems "$shots/$name.ppm")
    else
      seen=$(picture_dominant_channel "$shots/$name.ppm")
      problems=$([ "$seen" = "$colour" ] || echo " dominant channel $seen")
    fi
    if [ -z "$problems" ]; then e2e_ok "$name"; else e2e_not_ok "$name" "$problems"; fi
  done
  wine reg delete 'HKCU\Software\Head' /f >/dev/null 2>&1
}

# A grey cube whose texture image (TEST.PNG, here red and blue) colours it,
# in a folder named in Greek, which no ANSI code page of the prefix holds:
# /s shows it, coloured by its image with Look 0, and plain, without colour,
# with Look 1; lit less than the medal (which has no colour either) in
# both, where the medal shown in its place is lit as much (see above).
# test_model_in_a_greek_folder MEDAL_FRAME
test_model_in_a_greek_folder() {
  local source="$here/../../../shared/corpus/3ds/cube_with_diffuse_texture.3DS" folder="$E2E_WORK/Μοντέλα"
  local look name share ratio
  for look in 0 1; do
    name=greek_folder_model_with_look_$look
    if ! [ -f "$source" ]; then
      e2e_ok "$name # skipped: no corpus"
      continue
    fi
    mkdir -p "$folder" && cp "$source" "$folder/cube.3ds" &&
      convert -size 32x64 'xc:#ff4040' -size 32x64 'xc:#40a0ff' +append "$folder/TEST.PNG"
    if ! users_model_frame $name "$folder/cube.3ds" $look; then
      e2e_not_ok $name "$E2E_WHY"
      continue
    fi
    share=$(e2e_coloured_share "$shots/$name.ppm")
    ratio=$(lit_share_ratio "$shots/$name.ppm" "$1")
    e2e_log "$name: coloured share $share, lit $ratio times as much as the medal"
    if ! picture_gt "$ratio" 0.02 || ! picture_gt 0.6 "$ratio"; then
      e2e_not_ok $name "lit $ratio times as much as the medal"
    elif [ $look = 0 ] && ! picture_gt "$share" 0.01; then
      e2e_not_ok $name "no colour (share $share)"
    elif [ $look = 1 ] && picture_gt "$share" 0; then
      e2e_not_ok $name "coloured pixels (share $share) in the plain look"
    else
      e2e_ok $name
    fi
  done
}

# The configure window as the platform's "Configure" verb opens it (an
# empty command line), used with the pointer and the keys: moves over it
# leave it, Tab goes from the first control (Choose) past Medal to the
# monitors' list, Down there chooses the next layout, saved at once, and
# Escape closes it. X delivers input in order: the saved layout proves that
# the moves came first and left the window.
test_configure_keys() {
  local name=configure_window_keys_and_mouse_moves step saved="" end=$((SECONDS + 60))
  e2e_start "$saver"
  local pid=$E2E_PID
  e2e_wait_window '^Tral.*v .*r en livsstil\.\.\.$' "$pid" 30 || { e2e_not_ok $name "$E2E_WHY"; e2e_stop "$pid"; return; }
  for step in 1 2 3 4 5 6; do xdotool mousemove --sync $((100 + 30 * step)) $((100 + 20 * step)); done
  e2e_key "$E2E_XID" Tab Tab Down
  until [ -n "$saved" ] || [ "$SECONDS" -ge "$end" ] || ! e2e_running "$pid"; do
    saved=$(wine reg query 'HKCU\Software\Head' /v Monitors 2>/dev/null | grep -o 'REG_DWORD *0x1')
  done
  if [ -n "$saved" ]; then
    e2e_key "$E2E_XID" Escape
    e2e_expect_exit_0 $name "$pid"
  else
    e2e_not_ok $name "Monitors not saved as 1 after the moves, Tab Tab Down"
  fi
  e2e_stop "$pid"
  wine reg delete 'HKCU\Software\Head' /f >/dev/null 2>&1
}

# The settings window's Open dialog in a folder named in Greek: with the
# Model in that folder, the dialog opens there; the name of another model
# there typed in it and Enter take that model: the Model names it (the
# registry's own wide text, exported), the window shows its name and no
# refusal. Alt+F4 then closes the window.
test_configure_model_in_a_greek_folder() {
  local name=configure_window_takes_a_model_in_a_greek_folder folder="$E2E_WORK/Μοντέλα" saved="" problems=""
  local export="$E2E_WORK/settings.reg" end line hwnd
  mkdir -p "$folder" && cp "$resources/head.3ds" "$folder/first.3ds" && cp "$resources/head.3ds" "$folder/chosen.3ds"
  local wanted
  wanted=$(winepath -w "$folder/chosen.3ds" | tr -d '\r' | sed 's/\\/\\\\/g')
  wine reg add 'HKCU\Software\Head' /v Model /t REG_SZ /d "$(winepath -w "$folder/first.3ds" | tr -d '\r')" /f >/dev/null 2>&1
  e2e_start "$saver"
  local pid=$E2E_PID
  e2e_wait_window '^Tral.*v .*r en livsstil\.\.\.$' "$pid" 30 || { e2e_not_ok $name "$E2E_WHY"; e2e_stop "$pid"; return; }
  local window=$E2E_XID
  hwnd=$(e2e_field hwnd "$(e2e_window_line "$configure_title")")
  line=$(e2e_windows | awk -v p="parent=$hwnd " 'index($0, "child ") == 1 && index($0, p) && index($0, "text=[Choose…]")')
  xdotool mousemove --sync $(($(e2e_field screen_x "$line") + 20)) $(($(e2e_field screen_y "$line") + 10)) click 1
  if ! e2e_wait_window '^Choose a model$' "$pid" 60; then
    e2e_not_ok $name "no Open dialog: $E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  local dialog=$E2E_XID field="" try
  # Into the name field (it holds the Model's name, in the Model's folder):
  # a click, the whole name chosen with the keys and the other typed over
  # it. A try whose keys came before the dialog took input leaves the
  # dialog up: try again.
  end=$((SECONDS + 60))
  until [ -n "$field" ] || [ "$SECONDS" -ge "$end" ]; do
    field=$(e2e_windows | grep "^child .*class=\[Edit\]" | grep -v "parent=$hwnd " | head -n 1)
    sleep 0.2
  done
  for try in 1 2 3; do
    xdotool mousemove --sync $(($(e2e_field screen_x "$field") + 20)) $(($(e2e_field screen_y "$field") + 5)) click 1
    xdotool key Home shift+End c h o s e n period 3 d s Return
    e2e_wait_gone "$dialog" 10 && break
    [ -z "$(e2e_box_ids)" ] || break
  done
  end=$((SECONDS + 60))
  until [ -n "$saved" ] || [ "$SECONDS" -ge "$end" ] || ! e2e_running "$pid"; do
    sleep 0.5
    wine reg export 'HKCU\Software\Head' "$(winepath -w "$export")" /y >/dev/null 2>&1
    saved=$(iconv -f UTF-16 -t UTF-8 "$export" 2>/dev/null | tr -d '\r' | grep -Fx "\"Model\"=\"$wanted\"")
  done
  [ -n "$saved" ] || problems+=" Model not saved as $wanted: $(iconv -f UTF-16 -t UTF-8 "$export" 2>/dev/null | tr -d '\r' | grep Model);"
  local texts
  texts=$(e2e_windows | awk -v p="parent=$hwnd " 'index($0, "child ") == 1 && index($0, p)')
  printf '%s\n' "$texts" | grep -qF 'text=[chosen.3ds]' || problems+=" the name chosen.3ds not shown;"
  printf '%s\n' "$texts" | grep -q 'text=\[Cannot show' && problems+=" $(printf '%s\n' "$texts" | grep -o 'text=\[Cannot show[^]]*');"
  if [ -n "$problems" ]; then e2e_not_ok $name "$problems"; else e2e_ok $name; fi
  e2e_key "$window" alt+F4
  e2e_expect_exit_0 configure_window_ends_on_alt_f4 "$pid"
  e2e_stop "$pid"
  wine reg delete 'HKCU\Software\Head' /f >/dev/null 2>&1
}

# --- two monitors -----------------------------------------------------------

# The colour of the two-monitor desk's background: whatever of it is left on
# the screen is desktop the saver did not cover.
desk_colour='#3060c0'

# Share of a picture's pixels that are the desk's background colour.
desk_share() {
  convert "$1" -fill black +opaque "$desk_colour" -fill white -opaque "$desk_colour" -colorspace Gray \
    -format '%[fx:mean]' info: 2>/dev/null
}

# One full-screen run on the two-monitor desk, ended by a key: what is wrong
# with it, nothing when the primary shows the medal and the second monitor
# (640x480 at (800, 0)) shows the medal too, or stays black with
# second=black. two_monitor_run NAME medal|black
two_monitor_run() {
  local name=$1 second=$2 shot="$shots/$1.png" problems="" end part
  xdotool mousemove 400 300
  e2e_start "$saver" /s
  local pid=$E2E_PID
  if ! e2e_wait_window '^Head$' "$pid" 60; then
    e2e_not_ok "$name" "$E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  # Both monitors lit (or the second black): poll until both hold, the
  # medal sways and the first frames may come late.
  end=$((SECONDS + 60))
  while :; do
    problems=""
    display_screenshot "$shot"
    convert "$shot" -crop 800x600+0+0 +repage "$shot.primary.png"
    convert "$shot" -crop 640x480+800+0 +repage "$shot.second.png"
    problems+=$(e2e_medal_problems "$shot.primary.png" | sed 's/^ */ primary:/')
    if [ "$second" = medal ]; then
      problems+=$(e2e_medal_problems "$shot.second.png" | sed 's/^ */ second:/')
    elif picture_gt "$(picture_share_above "$shot.second.png" 0.02)" 0; then
      problems+=" the second monitor is not black;"
    fi
    # Only the monitors: X shows no defined pixels where no monitor is.
    for part in primary second; do
      picture_gt "$(desk_share "$shot.$part.png")" 0 && problems+=" desktop left on the $part monitor;"
    done
    [ -z "$problems" ] || [ "$SECONDS" -ge "$end" ] || { sleep 0.5; continue; }
    break
  done
  e2e_key "$E2E_XID" space
  if ! e2e_wait_exit "$pid" 30; then
    problems+=" $E2E_WHY;"
  elif [ "$E2E_STATUS" -ne 0 ]; then
    problems+=" exit status $E2E_STATUS;"
  fi
  if [ -z "$problems" ]; then e2e_ok "$name"; else e2e_not_ok "$name" "$problems"; fi
  e2e_stop "$pid"
}

# On a desk of two monitors (display_start_two_monitors): /s with no
# settings covers both, the medal in each monitor's middle; the user's
# Monitors=2 (the primary only) leaves the second black. Runs in the
# suite's prefix, moved to that desk and back.
test_two_monitors() {
  local single_display=$DISPLAY
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  if ! display_start_two_monitors; then
    e2e_not_ok two_monitors_desk "no two-monitor desk (Xephyr from scripts/install-deps.sh)"
    return
  fi
  xsetroot -solid "$desk_colour"
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  two_monitor_run two_monitors_each_shows_the_medal medal
  wine reg add 'HKCU\Software\Head' /v Monitors /t REG_DWORD /d 2 /f >/dev/null 2>&1
  two_monitor_run two_monitors_primary_only_leaves_the_second_black black
  wine reg delete 'HKCU\Software\Head' /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  display_stop "${DISPLAY_DESK_PIDS[@]}"
  export DISPLAY=$single_display
}

# ---------------------------------------------------------------------------

# E2E_ONLY="test_preview test_mode_fallback" runs only those groups.
for group in ${E2E_ONLY:-test_quick_exits test_missing_model_full_screen test_unreadable_model test_full_screen_window test_folder_with_a_swedish_name test_switches test_mouse_buttons test_mouse_moves \
  test_configure test_preview test_preview_without_host test_preview_picture test_mode_fallback test_gl_failure_is_reported \
  test_users_model test_model_formats test_configure_keys test_configure_model_in_a_greek_folder test_two_monitors}; do
  "$group"
done

echo "# $E2E_PASSED passed, $E2E_FAILED failed"
[ "$E2E_FAILED" -eq 0 ]
