# Helpers of the end-to-end suite: a private X display and Wine prefix,
# starting and watching the saver, message boxes, screenshots and pixels.
# Sourced by the suites here; every wait polls with a generous limit.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/display.sh"

E2E_FAILED=0
E2E_PASSED=0
E2E_BOXES='^(ERROR|SHUTDOWN ERROR|Lumo GL|arg4)$'
E2E_SAVER_PIDS=()

e2e_log() { printf '# %s\n' "$*"; }

e2e_ok() {
  E2E_PASSED=$((E2E_PASSED + 1))
  printf 'ok - %s\n' "$1"
}

e2e_not_ok() {
  E2E_FAILED=$((E2E_FAILED + 1))
  printf 'not ok - %s: %s\n' "$1" "$2"
}

# Starts a private virtual display, a fresh Wine prefix and the work
# folder; e2e_teardown undoes all of it.
e2e_setup() {
  E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/head-e2e.XXXXXX")
  display_start || return 1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL=C.UTF-8
  unset WAYLAND_DISPLAY
  e2e_new_prefix "$E2E_WORK/prefix" "${E2E_WINEARCH:-win32}"
}

# Makes a fresh Wine prefix of the given architecture (win32 or win64) the
# current one: e2e_new_prefix FOLDER ARCH. The suite's prefix before, if
# any, is shut.
e2e_new_prefix() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && [ "${WINEPREFIX#"$E2E_WORK"/}" != "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  export WINEPREFIX=$1 WINEARCH=$2
  e2e_log "display $DISPLAY, $WINEARCH prefix $WINEPREFIX"
  wineboot -i >"$E2E_WORK/wineboot.log" 2>&1 || { cat "$E2E_WORK/wineboot.log" >&2; return 1; }
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || return 1
  wineserver -w
}

e2e_teardown() {
  local pid
  for pid in "${E2E_SAVER_PIDS[@]}"; do
    kill -9 "$pid" 2>/dev/null
  done
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  display_stop
  [ -n "${E2E_WORK:-}" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$E2E_WORK"
}

# Starts a Windows program in the background: e2e_start PROGRAM ARG...
# Sets E2E_PID.
e2e_start() {
  wine "$@" >>"$E2E_WORK/wine.log" 2>&1 &
  E2E_PID=$!
  E2E_SAVER_PIDS+=("$E2E_PID")
}

e2e_running() { kill -0 "$1" 2>/dev/null; }

# Prints the Win32 view of the session's windows (see list_windows.cpp).
e2e_windows() { wine "$E2E_TOOLS/list_windows.exe" 2>/dev/null | tr -d '\r'; }

# The line of the visible top-level window with the given title (exact).
e2e_window_line() {
  local title=$1
  e2e_windows | awk -v t="title=[$title]" 'index($0, "window ") == 1 && index($0, t) { print; exit }'
}

# field NAME LINE: the value of NAME=value in a list_windows line.
e2e_field() {
  printf '%s\n' "$2" | sed -n "s/.* $1=\\([^ ]*\\).*/\\1/p" | head -n 1
}

# Titles and texts of the message boxes on the screen, one box a line:
# "TITLE: text".
e2e_box_texts() {
  e2e_windows | awk '
    index($0, "window ") == 1 && index($0, "class=[#32770]") {
      match($0, /title=\[[^]]*\]/); title = substr($0, RSTART + 7, RLENGTH - 8)
      match($0, /hwnd=[0-9]+/); boxes[substr($0, RSTART + 5, RLENGTH - 5)] = title
      order[++n] = substr($0, RSTART + 5, RLENGTH - 5)
    }
    index($0, "child ") == 1 && index($0, "class=[Static]") {
      match($0, /parent=[0-9]+/); parent = substr($0, RSTART + 7, RLENGTH - 7)
      match($0, /text=\[[^]]*\]/); text = substr($0, RSTART + 6, RLENGTH - 7)
      if (text != "") texts[parent] = texts[parent] (texts[parent] == "" ? "" : " ") text
    }
    END { for (i = 1; i <= n; i++) print boxes[order[i]] ": " texts[order[i]] }'
}

# The X ids of visible message boxes (by title); empty if none.
e2e_box_ids() { xdotool search --onlyvisible --name "$E2E_BOXES" 2>/dev/null; }

# Describes the boxes on the screen for a failure message; empty if none.
e2e_box_report() {
  [ -n "$(e2e_box_ids)" ] || return 0
  local text
  text=$(e2e_box_texts | paste -sd '|' -)
  [ -n "$text" ] || text="a box titled $(for id in $(e2e_box_ids); do xdotool getwindowname "$id"; done | paste -sd '|' -)"
  printf 'message box: %s' "$text"
}

# Reports NAME as passed when PID ends by itself within 30 s with status 0,
# else as failed with the reason: e2e_expect_exit_0 NAME PID
e2e_expect_exit_0() {
  if e2e_wait_exit "$2" 30 && [ "$E2E_STATUS" -eq 0 ]; then
    e2e_ok "$1"
  else
    e2e_not_ok "$1" "${E2E_WHY:-exit status $E2E_STATUS}"
  fi
}

# Waits until PID ends (at most SECONDS), watching for message boxes.
# Sets E2E_STATUS (the exit status) and E2E_WHY (empty, or why it failed:
# a message box, or still running, in which case the process is killed).
e2e_wait_exit() {
  local pid=$1 seconds=${2:-30} i
  E2E_WHY=""
  E2E_STATUS=""
  for ((i = 0; i < seconds * 10; i++)); do
    if [ -n "$(e2e_box_ids)" ]; then
      E2E_WHY=$(e2e_box_report)
      [ -n "$E2E_WHY" ] || continue
      kill -9 "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      e2e_close_stray_boxes
      return 1
    fi
    e2e_running "$pid" || break
    sleep 0.1
  done
  if e2e_running "$pid"; then
    E2E_WHY="still running after $seconds s"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 1
  fi
  wait "$pid"
  E2E_STATUS=$?
  return 0
}

# Waits (at most SECONDS) for a visible X window whose name matches REGEX
# while PID runs. Sets E2E_XID, or E2E_WHY on failure (a box, the process
# ended, or the time ran out).
e2e_wait_window() {
  local regex=$1 pid=$2 seconds=${3:-30} i
  E2E_XID=""
  E2E_WHY=""
  for ((i = 0; i < seconds * 10; i++)); do
    E2E_XID=$(xdotool search --onlyvisible --name "$regex" 2>/dev/null | head -n 1)
    [ -n "$E2E_XID" ] && return 0
    if [ -n "$(e2e_box_ids)" ]; then
      E2E_WHY=$(e2e_box_report)
      [ -n "$E2E_WHY" ] && return 1
    fi
    if ! e2e_running "$pid"; then
      wait "$pid"
      E2E_WHY="ended with status $? before a window named '$regex' appeared"
      return 1
    fi
    sleep 0.1
  done
  E2E_WHY="no window named '$regex' after $seconds s"
  return 1
}

# Waits (at most SECONDS) for a visible message box titled TITLE. Sets
# E2E_XID and E2E_BOX_TEXT ("TITLE: text"), or E2E_WHY.
e2e_wait_box() {
  local title=$1 pid=$2 seconds=${3:-30} i
  E2E_WHY=""
  E2E_BOX_TEXT=""
  for ((i = 0; i < seconds * 10; i++)); do
    E2E_XID=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
    if [ -n "$E2E_XID" ]; then
      # The box's controls may come a while after its frame.
      local end=$((SECONDS + 60))
      until E2E_BOX_TEXT=$(e2e_box_texts | grep -m 1 "^$title: .") || [ "$SECONDS" -ge "$end" ]; do
        sleep 0.1
      done
      return 0
    fi
    # Another box: look once more for ours, which may have come meanwhile.
    local other
    other=$(e2e_box_report)
    if [ -n "$other" ] && [ -z "$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null)" ]; then
      E2E_WHY="$other (waiting for '$title')"
      return 1
    fi
    if ! e2e_running "$pid"; then
      wait "$pid"
      E2E_WHY="ended with status $? before a box titled '$title' appeared"
      return 1
    fi
    sleep 0.1
  done
  E2E_WHY="no box titled '$title' after $seconds s"
  return 1
}

# Presses and releases KEYS for the X window XID: e2e_key XID KEYS... When
# the press ends the program, the window is gone before xdotool sends the
# release, xdotool stops at the error, and the X server keeps the key down:
# Wine then hands every later window a key press of its own. The keys are
# released once more through the server, which never harms.
e2e_key() {
  local xid=$1
  shift
  xdotool key --window "$xid" "$@" >/dev/null 2>&1
  xdotool keyup "$@" >/dev/null 2>&1
}

# Answers the box titled TITLE by clicking its button whose text (without
# the '&' of its access key) is LABEL, and waits until the box is gone. A
# click works whether or not the box has the keyboard focus.
e2e_answer_box() {
  local xid=$1 title=$2 label=$3 end=$((SECONDS + 60)) line=""
  while [ "$SECONDS" -lt "$end" ]; do
    line=$(e2e_windows | awk -v t="title=[$title]" -v l="$label" '
      index($0, "window ") == 1 { box = ""; if (index($0, "class=[#32770]") && index($0, t)) { match($0, /hwnd=[0-9]+/); box = substr($0, RSTART + 5, RLENGTH - 5) } }
      index($0, "child ") == 1 && box != "" && index($0, "parent=" box " ") && index($0, "class=[Button]") {
        match($0, /text=\[[^]]*\]/); text = substr($0, RSTART + 6, RLENGTH - 7); gsub(/&/, "", text)
        if (text == l) { print; exit }
      }')
    [ -n "$line" ] && break
    sleep 0.1
  done
  [ -n "$line" ] || return 1
  local x y w h
  x=$(e2e_field screen_x "$line"); y=$(e2e_field screen_y "$line")
  w=$(e2e_field w "$line"); h=$(e2e_field h "$line")
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1 >/dev/null 2>&1
  # A click that came before the box took input is lost: click again
  # while the box stays.
  end=$((SECONDS + 60))
  until e2e_wait_gone "$xid" 10; do
    [ "$SECONDS" -lt "$end" ] || return 1
    # The pointer is on the button already (a move there with --sync would
    # wait for ever for the pointer to move).
    xdotool click 1 >/dev/null 2>&1
  done
  return 0
}

# Waits (at most SECONDS, default 60) until the X window XID is no longer
# shown. e2e_wait_gone XID [SECONDS]
e2e_wait_gone() {
  local end=$((SECONDS + ${2:-60}))
  while xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# After a failure: answer any box left so that the next test starts clean.
e2e_close_stray_boxes() {
  local xid
  for xid in $(e2e_box_ids); do
    e2e_key "$xid" Escape
    e2e_key "$xid" Return
  done
}

# Kills a saver a failed test left running and waits for it.
e2e_stop() {
  local pid=$1
  if e2e_running "$pid"; then
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  e2e_close_stray_boxes
  local i
  for ((i = 0; i < 100; i++)); do
    [ -z "$(xdotool search --onlyvisible --name '^(Head|Preview host|Tral.*v .*r en livsstil\.\.\.)$' 2>/dev/null)" ] && return 0
    sleep 0.1
  done
}

# The middle of the medal's picture FILE: a square a third of its height.
e2e_middle() { local h; h=$(identify -format %h "$1" 2>/dev/null); printf '%dx%d' $((h / 3)) $((h / 3)); }

# Polls screenshots (at most 60 s) until the middle of the screen is lit: a
# third of it brighter than 10 % (as the light sways, the medal's face goes
# from dark grey to near white, never black). Leaves the last in FILE.
e2e_wait_for_medal() {
  local end=$((SECONDS + 60))
  until display_screenshot "$1" && picture_lit_middle "$1" "$(e2e_middle "$1")" 0.3 0.1; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.5
  done
}

# What is wrong with a picture of the medal, nothing when it is right: the
# middle lit as above, and black corners (squares of a thirtieth of the
# height; the medal nearly fills the height and sways, so it may brush one).
e2e_medal_problems() {
  local file=$1 h
  h=$(identify -format %h "$file" 2>/dev/null)
  picture_lit_middle "$file" "$(e2e_middle "$file")" 0.3 0.1 ||
    printf ' the middle is not lit (mean %s);' "$(picture_mean "$file" "$(picture_middle "$file" "$(e2e_middle "$file")")")"
  picture_black_corners "$file" $((h / 30)) 0.03 1 || printf ' %s corners not black;' "$PICTURE_LIT_CORNERS"
}

# Share of a picture's pixels with a colour: their chroma (the largest of
# red, green and blue less the smallest) above 10 %.
e2e_coloured_share() {
  convert "$1" -colorspace HCL -channel G -separate +channel -threshold 10% -format '%[fx:mean]' info: 2>/dev/null
}

e2e_display_size() { xdotool getdisplaygeometry 2>/dev/null | tr ' ' x; }

# Runs preview_host: e2e_host OUTPUT_FILE SAVER WIDTH HEIGHT SECONDS [SWITCH].
# Sets E2E_PID.
e2e_host() {
  local out=$1
  shift
  wine "$E2E_TOOLS/preview_host.exe" "$@" >"$out" 2>>"$E2E_WORK/wine.log" &
  E2E_PID=$!
  E2E_SAVER_PIDS+=("$E2E_PID")
}

# The value of KEY=value in preview_host's output (first match).
e2e_host_value() { tr -d '\r' <"$1" | sed -n "s/^$2=\\([^ ]*\\)\$/\\1/p" | head -n 1; }
