# Virtual X displays and the pictures on them, for the run and measuring
# scripts and the end-to-end suites. Sourced; needs Xvfb, xdpyinfo and
# ImageMagick (import, convert, compare, identify). Every wait polls with a
# generous limit: these run on machines busy with builds.
#
#   display_start [WxH] [ARGS...]  a private Xvfb (default 800x600, 24 bits)
#   display_serve PROGRAM ARGS...  any X server the same way (a nested one
#                                  runs on the current DISPLAY)
#   display_start_two_monitors     a desk of two monitors (800x600, and
#                                  640x480 to its right) in a nested server
#   display_stop [PID...]          stops those servers, or every one started
#   display_screenshot FILE [WINDOW]
#   picture_* and pictures_differ  what a picture shows
#   display_wait_change FILE SECONDS [PIXELS [WINDOW]]

DISPLAY_PIDS=()
# Seconds a server may take to answer.
DISPLAY_LIMIT=${DISPLAY_LIMIT:-60}

# Starts the X server PROGRAM ARGS... on a display number it picks itself
# (-displayfd) and waits until the display answers; exports DISPLAY and sets
# DISPLAY_PID. -noreset: a server resets when its last client leaves, and a
# client that connects during the reset (slow on a busy machine) is refused.
display_serve() {
  local program=$1 file i number=""
  shift
  file=$(mktemp "${TMPDIR:-/tmp}/display.XXXXXX") || return 1
  "$program" -displayfd 9 -nolisten tcp -noreset "$@" 9>"$file" >"$file.log" 2>&1 &
  DISPLAY_PID=$!
  DISPLAY_PIDS+=("$DISPLAY_PID")
  for ((i = 0; i < DISPLAY_LIMIT * 10; i++)); do
    [ -s "$file" ] && number=$(tr -d '[:space:]' <"$file")
    [ -n "$number" ] && DISPLAY=":$number" xdpyinfo >/dev/null 2>&1 && break
    number=""
    kill -0 "$DISPLAY_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$number" ]; then
    echo "$program did not start: $(cat "$file.log")" >&2
    rm -f "$file" "$file.log"
    display_stop "$DISPLAY_PID"
    return 1
  fi
  rm -f "$file" "$file.log"
  export DISPLAY=":$number"
}

# A private Xvfb of one screen, WxH at 24 bits (default 800x600); ARGS go to
# Xvfb. display_start [WxH] [ARGS...]
display_start() {
  local size=800x600
  case ${1:-} in [0-9]*x[0-9]*) size=$1; shift ;; esac
  display_serve Xvfb -screen 0 "${size}x24" "$@"
}

# A desk of two monitors that Wine sees as two: Xephyr with two Xinerama
# heads, 800x600 at (0, 0) (the primary) and 640x480 at (800, 0), nested in
# a private Xvfb large enough to hold it. Exports DISPLAY (the nested
# server's) and sets DISPLAY_DESK_PIDS (the nested server first) for
# display_stop. Wine finds both heads only through Xinerama, as Xephyr's
# RandR reports one output: the prefix needs HKCU\Software\Wine\X11 Driver
# UseXRandR=N (then the virtual screen is 1440x600).
display_start_two_monitors() {
  local outer
  display_start 1600x800 || return 1
  outer=$DISPLAY_PID
  if ! display_serve Xephyr +xinerama -screen 800x600 -screen 640x480; then
    display_stop "$outer"
    return 1
  fi
  DISPLAY_DESK_PIDS=("$DISPLAY_PID" "$outer")
}

# Stops the given servers started here, or all of them (the last first),
# and waits for each.
display_stop() {
  local pid stopping=("$@") kept=()
  [ $# -gt 0 ] || for ((pid = ${#DISPLAY_PIDS[@]} - 1; pid >= 0; pid--)); do stopping+=("${DISPLAY_PIDS[pid]}"); done
  for pid in "${stopping[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  for pid in "${DISPLAY_PIDS[@]}"; do
    [[ " ${stopping[*]} " == *" $pid "* ]] || kept+=("$pid")
  done
  DISPLAY_PIDS=("${kept[@]}")
}

# A picture of the screen, or of one window: display_screenshot FILE [WINDOW]
display_screenshot() { import -window "${2:-root}" "png:$1" 2>/dev/null; }

# --- pictures (levels and shares run from 0 to 1; REGION is WxH+X+Y) ---

# float comparison: picture_gt A B is true when A > B.
picture_gt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'; }

# Mean brightness of a region (default the whole picture).
picture_mean() { convert "$1" ${2:+-crop "$2" +repage} -colorspace Gray -format '%[fx:mean]' info: 2>/dev/null; }

# Share of a region's pixels brighter than LEVEL: picture_share_above FILE
# LEVEL [REGION]
picture_share_above() {
  convert "$1" ${3:+-crop "$3" +repage} -colorspace Gray -threshold "$(awk -v l="$2" 'BEGIN { print l * 100 }')%" \
    -format '%[fx:mean]' info: 2>/dev/null
}

# The WxH region in the middle of a picture: picture_middle FILE WxH
picture_middle() {
  local w h
  read -r w h < <(identify -format '%w %h' "$1" 2>/dev/null)
  printf '%s+%d+%d\n' "$2" $(((w - ${2%x*}) / 2)) $(((h - ${2#*x}) / 2))
}

# True when more than SHARE of the middle WxH region is brighter than
# LEVEL: picture_lit_middle FILE WxH SHARE LEVEL
picture_lit_middle() { picture_gt "$(picture_share_above "$1" "$4" "$(picture_middle "$1" "$2")")" "$3"; }

# True when at most ALLOWED (default 0) of the four SIZE-pixel square
# corners have a mean above LEVEL; sets PICTURE_LIT_CORNERS to their number.
# picture_black_corners FILE SIZE LEVEL [ALLOWED]
picture_black_corners() {
  local file=$1 s=$2 w h corner
  read -r w h < <(identify -format '%w %h' "$file" 2>/dev/null)
  PICTURE_LIT_CORNERS=0
  for corner in "${s}x$s+0+0" "${s}x$s+$((w - s))+0" "${s}x$s+0+$((h - s))" "${s}x$s+$((w - s))+$((h - s))"; do
    picture_gt "$(picture_mean "$file" "$corner")" "$3" && PICTURE_LIT_CORNERS=$((PICTURE_LIT_CORNERS + 1))
  done
  [ "$PICTURE_LIT_CORNERS" -le "${4:-0}" ]
}

# The box (WxH+X+Y) round the pixels brighter than LEVEL.
picture_lit_box() {
  convert "$1" -colorspace Gray -threshold "$(awk -v l="$2" 'BEGIN { print l * 100 }')%" -format '%@' info: 2>/dev/null
}

# True when the box round the pixels brighter than LEVEL is at least RATIO
# times as high as it is wide (a medal upright, not lying flat); sets
# PICTURE_BOX. picture_upright FILE LEVEL RATIO
picture_upright() {
  local bw bh
  PICTURE_BOX=$(picture_lit_box "$1" "$2")
  IFS='x+' read -r bw bh _ <<<"$PICTURE_BOX"
  ! picture_gt "$(awk -v w="$bw" -v r="$3" 'BEGIN { print w * r }')" "$bh"
}

# The channel (red, green or blue) whose mean in picture FILE is more than
# twice each other's, or "none".
picture_dominant_channel() {
  convert "$1" -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info: 2>/dev/null | awk '{
    best = 1; for (i = 2; i <= 3; i++) if ($i > $best) best = i
    for (i = 1; i <= 3; i++) if (i != best && $best <= 2 * $i) { print "none"; exit }
    split("red green blue", name); print name[best] }'
}

# Number of pixels that differ between two pictures of the same size.
pictures_differ_by() {
  local out
  out=$(compare -metric AE "$1" "$2" null: 2>&1)
  printf '%s\n' "${out%% *}" | sed 's/[^0-9.e+].*//'
}

# True when more than PIXELS (default 0) pixels differ: pictures_differ A B [PIXELS]
pictures_differ() { picture_gt "$(pictures_differ_by "$1" "$2")" "${3:-0}"; }

# Polls screenshots (of the screen or WINDOW) for at most SECONDS until one
# differs from FILE in more than PIXELS (default 0) pixels; it is left in
# FILE.later.png. display_wait_change FILE SECONDS [PIXELS [WINDOW]]
display_wait_change() {
  local end=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$end" ]; do
    sleep 0.25
    display_screenshot "$1.later.png" "${4:-root}" && pictures_differ "$1" "$1.later.png" "${3:-0}" && return 0
  done
  return 1
}

# Run rather than sourced, it runs COMMAND ARGS... on a display of its own
# and ends with its status, as xvfb-run does:
#   bash scripts/lib/display.sh COMMAND ARGS...
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  trap display_stop EXIT
  display_start || exit 1
  "$@"
fi
