#!/usr/bin/env bash
# End-to-end suite of the release: packages the built head.scr twice with
# scripts/package.sh, checks the zip, then installs, runs and uninstalls
# with the installer under Wine, in a fresh 32-bit prefix and in a fresh
# 64-bit one. Prints one "ok - NAME" or "not ok - NAME: reason" line a
# check and exits 1 if any failed. A 64-bit head.scr (the windows64 build)
# is packaged with a 64-bit test installer, which runs where 32-bit programs
# cannot start: then only the 64-bit prefix's cases run, and the saver goes
# to System32 and Program Files.
#
# Usage: tests/e2e/run_installer_e2e.sh BUILD_DIR
#   BUILD_DIR holds head.scr and tests/e2e/preview_host.exe and
#   list_windows.exe.
# E2E_KEEP=1 keeps the work folder (packages, screenshots) for a look.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
E2E_TOOLS="$build/tests/e2e"

for file in "$build/head.scr" "$E2E_TOOLS/preview_host.exe" "$E2E_TOOLS/list_windows.exe"; do
  [ -f "$file" ] || { echo "missing $file (build the windows preset)" >&2; exit 2; }
done
# The PE header's machine: 34404 (0x8664) is x86-64.
if [ "$(od -An -tu2 -j $(($(od -An -tu4 -j 60 -N 4 "$build/head.scr") + 4)) -N 2 "$build/head.scr" | tr -d ' ')" = 34404 ]; then
  bits=64 mingw=x86_64-w64-mingw32
  export E2E_WINEARCH=win64
else
  bits=32 mingw=i686-w64-mingw32
fi
for tool in wine wineboot wineserver Xvfb xdpyinfo xdotool import convert makensis zip unzip sha256sum "$mingw-strip" "$mingw-objdump"; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (run scripts/install-deps.sh)" >&2; exit 2; }
done

trap e2e_teardown EXIT
trap 'exit 130' INT TERM
e2e_setup || { echo "could not set up the display and Wine" >&2; exit 2; }
screen_w=800
screen_h=600
shots="$E2E_WORK/shots"
mkdir -p "$shots"

version=$(sed -n 's/^project(head_saver VERSION \([0-9][0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
zip_name="head-$version-win32.zip"
setup_name="head-$version-setup.exe"

# problems collects a check's failures; report NAME reports them.
problems=""
report() {
  if [ -z "$problems" ]; then e2e_ok "$1"; else e2e_not_ok "$1" "${problems# }"; fi
  problems=""
}
fail() { problems+=" $*;"; }

# PID must end by itself within 30 s with status 0, after WHAT was done;
# else a failure, and the process is stopped. expect_exit_0 PID WHAT
expect_exit_0() {
  if ! e2e_wait_exit "$1" 30; then
    fail "$E2E_WHY"
  elif [ "$E2E_STATUS" -ne 0 ]; then
    fail "exit status $E2E_STATUS after $2"
  fi
  e2e_stop "$1"
}

# True when FILE holds TEXT in UTF-16LE, as version resources store it.
has_utf16() { LC_ALL=C grep -qaP "$(printf '%s' "$2" | sed 's/./&\\x00/g; s/[.]/\\./g')" "$1"; }

# The time stamp of a PE file's header.
pe_time() { od -An -tu4 -j $(($(od -An -tu4 -j 60 -N 4 "$1") + 8)) -N 4 "$1" | tr -d ' '; }

# --- the packages -------------------------------------------------------------

test_packages() {
  local run
  for run in 1 2; do
    if ! "$root/scripts/package.sh" --windows --dirty --scr "$build/head.scr" --out "$E2E_WORK/dist$run" >"$E2E_WORK/package$run.log" 2>&1; then
      e2e_not_ok package_builds "$(tail -n 5 "$E2E_WORK/package$run.log" | paste -sd ' ' -)"
      return 1
    fi
  done
  dist="$E2E_WORK/dist1"
  local file
  for file in "$zip_name" "$setup_name" SHA256SUMS; do
    cmp -s "$dist/$file" "$E2E_WORK/dist2/$file" || fail "$file differs between two runs"
  done
  report package_is_byte_identical_across_runs

  local unpacked="$E2E_WORK/unpacked"
  mkdir -p "$unpacked"
  unzip -q -o "$dist/$zip_name" -d "$unpacked" || fail "the zip does not unpack"
  [ "$(unzip -Z1 "$dist/$zip_name" | paste -sd ' ' -)" = "head.scr README.txt LICENSE.txt SHA256SUMS" ] ||
    fail "entries: $(unzip -Z1 "$dist/$zip_name" | paste -sd ' ' -)"
  (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1) || fail "SHA256SUMS in the zip does not verify"
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1) || fail "dist/SHA256SUMS does not verify"
  # sha256sum -c checks only the lines there: each list names exactly the
  # files beside it.
  local sums listed beside
  for sums in "$unpacked/SHA256SUMS" "$dist/SHA256SUMS"; do
    listed=$(sed 's/^[0-9a-f]* [ *]//' "$sums" | sort | paste -sd ' ' -)
    beside=$(ls "${sums%/*}" | grep -vx SHA256SUMS | sort | paste -sd ' ' -)
    [ "$listed" = "$beside" ] || fail "${sums#"$E2E_WORK"/} lists [$listed], beside it are [$beside]"
  done
  local name
  for name in README.txt LICENSE.txt; do
    [ "$(grep -c $'\r$' "$unpacked/$name")" = "$(wc -l <"$unpacked/$name")" ] || fail "$name has lines without CRLF"
  done
  grep -q "Head $version" "$unpacked/README.txt" || fail "README.txt does not name version $version"
  report zip_holds_the_saver_guide_license_and_checksums

  zip_scr="$unpacked/head.scr"
  [ "$(pe_time "$zip_scr")" = 0 ] || fail "head.scr has link time $(pe_time "$zip_scr")"
  [ "$(pe_time "$build/head.scr")" = 0 ] || fail "the built head.scr has link time $(pe_time "$build/head.scr")"
  "$mingw-objdump" -h "$zip_scr" | grep -q '\.debug' && fail "head.scr is not stripped"
  [ "$(stat -c %s "$zip_scr")" -lt "$(stat -c %s "$build/head.scr")" ] || fail "head.scr is no smaller than the built one"
  has_utf16 "$zip_scr" "$version" || fail "head.scr's version information lacks $version"
  has_utf16 "$dist/$setup_name" "$version" || fail "the installer's version information lacks $version"
  report release_files_carry_the_version_and_no_link_time
  e2e_log "sizes: head.scr $(stat -c %s "$build/head.scr") linked, $(stat -c %s "$zip_scr") stripped; zip $(stat -c %s "$dist/$zip_name"); installer $(stat -c %s "$dist/$setup_name")"
}

# --- the registry and the files -----------------------------------------------

# Prints the values of a registry key, "NAME    TYPE    DATA" a line, or
# "missing".
reg_dump() { wine reg query "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^    //p' | sort || true; }

# The data of value NAME in a reg_dump.
reg_value() { printf '%s\n' "$1" | awk -v n="$2" 'index($0, n "    ") == 1 { sub(/^[^ ]+    REG_[A-Z_]+    /, ""); print; exit }'; }

# What the installer may change: the system folders, Program Files and the
# registry branches it writes. snapshot FILE
snapshot() {
  local c="$WINEPREFIX/drive_c" d key
  {
    for d in windows/system32 windows/syswow64 "Program Files" "Program Files (x86)" elsewhere; do
      # Files with size and time; folders by name (their times follow
      # whatever came and went inside).
      [ -d "$c/$d" ] && (cd "$c" && find "$d" \( -type d -printf '%p/\n' \) -o -printf '%p %s %T@\n' | sort)
    done
    # The installed programs with their keys; the others' values only.
    echo "[${uninstall_key%\\Head}]"
    wine reg query "${uninstall_key%\\Head}" /s 2>/dev/null | tr -d '\r' | sort
    for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Control\Session Manager'; do
      echo "[$key]"
      reg_dump "$key"
    done
  } >"$1"
}

# check_installed PREFIX_SYSDIR WINDOWS_SAVER_PATH PROGRAM_FILES: the file in
# the system folder is the zip's, the uninstall entry is whole.
check_installed() {
  local sysdir=$1 path=$2 location=$3
  cmp -s "$WINEPREFIX/drive_c/windows/$sysdir/head.scr" "$zip_scr" || fail "windows/$sysdir/head.scr is not the zip's copy"
  [ -e "$WINEPREFIX/drive_c/windows/$sysdir/head.scr.new" ] && fail "head.scr.new is left in $sysdir"
  local entry
  entry=$(reg_dump "$uninstall_key")
  local expected
  while IFS='|' read -r name expected; do
    [ "$(reg_value "$entry" "$name")" = "$expected" ] || fail "$name is '$(reg_value "$entry" "$name")', not '$expected'"
  done <<EOF
DisplayName|Head
DisplayVersion|$version
Publisher|The Head developers
DisplayIcon|$path,0
InstallLocation|$location
UninstallString|"$location\\uninstall.exe"
QuietUninstallString|"$location\\uninstall.exe" /S
NoModify|0x1
NoRepair|0x1
EOF
  local size unix_location
  size=$(($(reg_value "$entry" EstimatedSize)))
  unix_location=$(unix_path "$location")
  local bytes=0 f
  for f in "$unix_location"/* "$WINEPREFIX/drive_c/windows/$sysdir/head.scr"; do
    [ -f "$f" ] && bytes=$((bytes + $(stat -c %s "$f")))
  done
  # The installer adds the files' sizes in whole KB, each rounded down.
  [ "$size" -ge $((bytes / 1024 - 4)) ] && [ "$size" -le $((bytes / 1024 + 8)) ] || fail "EstimatedSize $size KB for $bytes bytes"
  for f in README.txt LICENSE.txt uninstall.exe; do
    [ -f "$unix_location/$f" ] || fail "no $location\\$f"
  done
}

# The prefix's folder of the Windows path C:\PATH.
unix_path() { local p="$WINEPREFIX/drive_c/${1#C:\\}"; printf '%s' "${p//\\//}"; }

# run_setup NAME ARGS...: runs the installer (silent with /S; $setup_file
# if set), waits for it (at most 120 s) and sets setup_status.
run_setup() {
  local name=$1 start
  shift
  start=$(date +%s.%N)
  setup_status=0
  # Not wineserver -w: a saver started before may be running.
  timeout -k 5 120 wine "${setup_file:-$dist/$setup_name}" "$@" </dev/null >>"$E2E_WORK/wine.log" 2>&1 || setup_status=$?
  e2e_log "$name took $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }') s"
}

# install NAME ARGS...: run_setup, which must end with 0.
install() { run_setup "$@"; [ "$setup_status" -eq 0 ] || fail "$1 ended with $setup_status"; }

# The uninstaller copies itself to a temporary folder and starts that copy:
# wait for the prefix's processes. Started by its path, not through cmd,
# which loses the quotes of "Program Files".
uninstall() {
  local location=$1 start status=0
  start=$(date +%s.%N)
  wine "$location\\uninstall.exe" /S >>"$E2E_WORK/wine.log" 2>&1 || status=$?
  wineserver -w
  e2e_log "silent uninstall took $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }') s"
  [ "$status" -eq 0 ] || fail "the uninstaller ended with $status"
}

compare_snapshots() {
  local changes
  changes=$(diff "$1" "$2" | grep '^[<>]' | head -n 8 | paste -sd '|' -)
  [ -z "$changes" ] || fail "changed: $changes"
}

# --- running the installed saver ----------------------------------------------

# The /s run as the platform starts it: the medal as e2e_medal_problems
# wants it, no box; a key ends it with 0. run_full_screen PATH
run_full_screen() {
  xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
  e2e_start "$1" /s
  local pid=$E2E_PID
  if ! e2e_wait_window '^Head$' "$pid" 30; then
    fail "$E2E_WHY"
    e2e_stop "$pid"
    return
  fi
  local xid=$E2E_XID shot="$shots/installed-full.png"
  e2e_wait_for_medal "$shot"
  problems+=$(e2e_medal_problems "$shot")
  [ -z "$(e2e_box_ids)" ] || fail "$(e2e_box_report)"
  e2e_key "$xid" space
  expect_exit_0 "$pid" "a key"
}

# Starts "PATH /c" and waits for the configure window. Sets E2E_PID.
start_configure() {
  e2e_start "$1" /c
  e2e_wait_window '^Tral.*v .*r en livsstil\.\.\.$' "$E2E_PID" 30 || fail "/c: $E2E_WHY"
}

# Presses the configure window's button; the program must end with 0.
end_configure() {
  local pid=$1 line
  line=$(e2e_windows | awk 'index($0, "child ") == 1 && index($0, "class=[Button]") && index($0, "text=[Sk") { print; exit }')
  if [ -z "$line" ]; then
    fail "/c: no button"
    e2e_stop "$pid"
    return
  fi
  xdotool mousemove $(($(e2e_field screen_x "$line") + $(e2e_field w "$line") / 2)) \
    $(($(e2e_field screen_y "$line") + $(e2e_field h "$line") / 2)) click 1
  expect_exit_0 "$pid" "the /c window's button"
}

# The preview in the project's preview host: one visible GL child of the
# host's size, and the saver ends with 0 with its host.
run_preview() {
  local out="$E2E_WORK/preview-$WINEARCH.txt"
  e2e_host "$out" "$1" 320 240 2
  local pid=$E2E_PID
  if ! e2e_wait_exit "$pid" 120; then
    fail "preview: $E2E_WHY"
  elif ! tr -d '\r' <"$out" | grep -qx 'child class=OpenGL x=0 y=0 w=320 h=240 visible=1' ||
    [ "$(e2e_host_value "$out" saver_exit)" != 0 ]; then
    fail "preview: $(tr -d '\r' <"$out" | paste -sd ';' -)"
  fi
  e2e_stop "$pid"
}

# --- 32-bit Windows -------------------------------------------------------------

test_32_bit() {
  uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Head'
  local saver='C:\windows\system32\head.scr' location='C:\Program Files\Head'
  snapshot "$E2E_WORK/before32.txt"

  install "silent install (32-bit)" /S
  check_installed system32 "$saver" "$location"
  local desktop
  desktop=$(reg_dump 'HKCU\Control Panel\Desktop')
  [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$saver" ] || fail "SCRNSAVE.EXE is '$(reg_value "$desktop" SCRNSAVE.EXE)'"
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is '$(reg_value "$desktop" ScreenSaveActive)'"
  report win32_silent_install_puts_the_saver_in_system32_and_makes_it_current

  # Started as the platform starts it: the path read back from the registry.
  run_full_screen "$(reg_value "$desktop" SCRNSAVE.EXE)"
  report win32_installed_saver_runs_full_screen

  # Installed again while its configure window runs: the running file moves
  # aside and goes at the next start; the new one is in place at once.
  start_configure "$saver"
  local pid=$E2E_PID
  install "silent reinstall over a running copy" /S
  check_installed system32 "$saver" "$location"
  [ "$(reg_value "$(reg_dump 'HKCU\Control Panel\Desktop')" SCRNSAVE.EXE)" = "$saver" ] || fail "SCRNSAVE.EXE changed"
  e2e_running "$pid" || fail "the running copy ended"
  end_configure "$pid"
  wineboot -r >/dev/null 2>&1
  wineserver -w
  [ -e "$WINEPREFIX/drive_c/windows/system32/head.scr.old" ] && fail "the moved copy is still there after a restart"
  report win32_reinstall_over_a_running_copy_replaces_it

  start_configure "$saver" && end_configure "$E2E_PID"
  run_preview "$saver"
  report win32_configure_and_preview_from_the_installed_path

  uninstall "$location"
  snapshot "$E2E_WORK/after32.txt"
  compare_snapshots "$E2E_WORK/before32.txt" "$E2E_WORK/after32.txt"
  report win32_uninstall_leaves_nothing_and_changes_nothing_else
}

# The pages, not silent: English, and Swedish under a Swedish locale. Kills
# the installer once its first page is seen. check_pages NAME LOCALE TITLE
check_pages() {
  local name=$1 locale=$2 title=$3
  env LC_ALL="$locale" LANG="$locale" wine "$dist/$setup_name" >>"$E2E_WORK/wine.log" 2>&1 &
  local pid=$!
  E2E_SAVER_PIDS+=("$pid")
  if e2e_wait_window "^$title\$" "$pid" 30; then
    local shot="$shots/installer-$locale.png" i
    # The page's controls come a moment after its frame.
    for ((i = 0; i < 50; i++)); do
      display_screenshot "$shot" "$E2E_XID"
      picture_gt "$(picture_share_above "$shot" 0.5)" 0.2 && break
      sleep 0.2
    done
    [ -s "$shot" ] || fail "no screenshot of the page"
    e2e_log "page screenshot: $shot"
  else
    fail "$E2E_WHY"
  fi
  e2e_stop "$pid"
  wineserver -k 2>/dev/null
  wineserver -w
  report "$name"
}

# --- 64-bit Windows -------------------------------------------------------------

test_64_bit() {
  # The 64-bit build's suite runs in its first prefix, a 64-bit one.
  if [ "$bits" = 32 ] && ! e2e_new_prefix "$E2E_WORK/prefix64" win64; then
    e2e_not_ok win64_prefix "wineboot failed"
    return
  fi
  # Where the installer puts things there: the 32-bit one in SysWOW64 and
  # Program Files (x86), under the 32-bit view of the registry; the 64-bit
  # test installer in System32 and Program Files.
  if [ "$bits" = 64 ]; then
    uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Head'
    sysdir=system32 other_sysdir=syswow64 saver='C:\windows\system32\head.scr' location='C:\Program Files\Head'
  else
    uninstall_key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Head'
    sysdir=syswow64 other_sysdir=system32 saver='C:\windows\SysWOW64\head.scr' location='C:\Program Files (x86)\Head'
  fi
  local desktop
  snapshot "$E2E_WORK/before64.txt"

  install "silent install (64-bit)" /S
  check_installed "$sysdir" "$saver" "$location"
  [ -e "$WINEPREFIX/drive_c/windows/$other_sysdir/head.scr" ] && fail "a head.scr in $other_sysdir"
  desktop=$(reg_dump 'HKCU\Control Panel\Desktop')
  [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$saver" ] || fail "SCRNSAVE.EXE is '$(reg_value "$desktop" SCRNSAVE.EXE)'"
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is '$(reg_value "$desktop" ScreenSaveActive)'"
  report "win64_silent_install_puts_the_saver_in_${sysdir}_and_names_that_path"

  # A 32-bit program cannot change the display mode in a 64-bit prefix: the
  # path is proved with the configure window and the preview.
  start_configure "$(reg_value "$desktop" SCRNSAVE.EXE)" && end_configure "$E2E_PID"
  run_preview "$saver"
  report win64_configure_and_preview_from_the_installed_path

  # The user picks another saver and installs again saying no: the choice is
  # kept by a later install without options, and the uninstaller leaves the
  # other saver alone.
  local other='C:\windows\system32\other.scr'
  wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /t REG_SZ /d "$other" /f >/dev/null 2>&1
  install "silent reinstall saying no" /S /NOSAVER
  install "silent reinstall" /S
  check_installed "$sysdir" "$saver" "$location"
  [ "$(reg_value "$(reg_dump 'HKCU\Control Panel\Desktop')" SCRNSAVE.EXE)" = "$other" ] || fail "SCRNSAVE.EXE no longer names the other saver"
  report win64_reinstall_keeps_the_users_choice

  uninstall "$location"
  [ "$(reg_value "$(reg_dump 'HKCU\Control Panel\Desktop')" SCRNSAVE.EXE)" = "$other" ] || fail "the uninstaller cleared another saver"
  # What the user set and the first install's ScreenSaveActive stay the
  # user's; take them back before comparing.
  wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f >/dev/null 2>&1
  wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveActive /f >/dev/null 2>&1
  snapshot "$E2E_WORK/after64.txt"
  compare_snapshots "$E2E_WORK/before64.txt" "$E2E_WORK/after64.txt"
  report win64_uninstall_leaves_nothing_and_changes_nothing_else
}

# In the 64-bit prefix test_64_bit left, nothing of Head installed:
# installs that cannot write a file fail and change nothing; an upgrade
# goes where the earlier install is; the uninstaller takes the user's
# settings too.
test_failures_upgrade_and_settings() {
  local c="$WINEPREFIX/drive_c" name args blocker
  snapshot "$E2E_WORK/before-mends.txt"
  # A blocker ending in / is a folder where the installer wants a file; one
  # ending in ! a folder no file can be written to (for root, immutable).
  while IFS='|' read -r name args blocker; do
    mkdir -p "$c/${blocker%!}"
    if [ "${blocker%!}" != "$blocker" ]; then
      chmod a-w "$c/${blocker%!}"
      [ "$(id -u)" != 0 ] || chattr +i "$c/${blocker%!}" 2>/dev/null
      if touch "$c/${blocker%!}/probe" 2>/dev/null; then
        echo "ok - install_fails_and_registers_nothing_when_the_$name # skipped: no folder can be made unwritable here"
        rm -rf "$c/elsewhere"
        continue
      fi
    fi
    snapshot "$E2E_WORK/before-$name.txt"
    run_setup "$name" $args
    [ "$setup_status" -eq 2 ] || fail "ended with $setup_status, not 2"
    snapshot "$E2E_WORK/after-$name.txt"
    compare_snapshots "$E2E_WORK/before-$name.txt" "$E2E_WORK/after-$name.txt"
    chattr -i "$c/${blocker%!}" 2>/dev/null
    chmod -R u+w "$c/elsewhere" 2>/dev/null
    rm -rf "${c:?}/${blocker%[/!]}" "$c/elsewhere"
    report "install_fails_and_registers_nothing_when_the_$name"
  done <<EOF
install_folder_is_unwritable|/S /D=C:\elsewhere|elsewhere!
uninstaller_cannot_be_written|/S /D=C:\elsewhere|elsewhere/uninstall.exe/
saver_cannot_be_written|/S|windows/$sysdir/head.scr.new/
EOF

  # The new head.scr cannot take its name (on Windows, a deleted file that
  # another program still has open keeps it): the test installer puts a
  # folder there just before the rename, which must fail the install.
  local name=saver_cannot_take_its_name defines=(-DTEST_RENAME_FAILS -DVERSION="$version")
  [ "$bits" = 64 ] && defines+=(-DTEST_TARGET=amd64-unicode)
  snapshot "$E2E_WORK/before-$name.txt"
  if makensis -V1 "${defines[@]}" -DSTAGE="$E2E_WORK/unpacked" -DOUTFILE="$E2E_WORK/$name.exe" \
    "$root/installer/head.nsi" >"$E2E_WORK/makensis-$name.log" 2>&1; then
    setup_file="$E2E_WORK/$name.exe" run_setup "$name" /S
    [ "$setup_status" -eq 2 ] || fail "ended with $setup_status, not 2"
    rmdir "$c/windows/$sysdir/head.scr" || fail "the folder in head.scr's place is gone or not empty"
  else
    fail "makensis: $(tail -n 3 "$E2E_WORK/makensis-$name.log" | paste -sd ' ' -)"
  fi
  snapshot "$E2E_WORK/after-$name.txt"
  compare_snapshots "$E2E_WORK/before-$name.txt" "$E2E_WORK/after-$name.txt"
  report "install_fails_and_registers_nothing_when_the_$name"

  local folder="$c/elsewhere"
  install "silent install with /D=" /S '/D=C:\elsewhere'
  echo old >"$folder/README.txt"
  wine reg add 'HKCU\Software\Head' /v Look /t REG_DWORD /d 1 /f >/dev/null 2>&1
  install "silent upgrade" /S
  check_installed "$sysdir" "$saver" 'C:\elsewhere'
  cmp -s "$folder/README.txt" "$E2E_WORK/unpacked/README.txt" || fail "the /D= folder's README.txt is not the new one"
  [ -e "$(unix_path "$location")" ] && fail "a second copy in $location"
  report upgrade_goes_into_the_folder_of_the_earlier_install

  uninstall 'C:\elsewhere'
  wine reg query 'HKCU\Software\Head' >/dev/null 2>&1 && fail "HKCU\\Software\\Head is left"
  snapshot "$E2E_WORK/after-mends.txt"
  compare_snapshots "$E2E_WORK/before-mends.txt" "$E2E_WORK/after-mends.txt"
  report uninstall_removes_the_folder_and_the_users_settings
}

if test_packages; then
  if [ "$bits" = 32 ]; then
    test_32_bit
    check_pages installer_pages_in_english C.UTF-8 "Head $version Setup"
    check_pages installer_pages_in_swedish sv_SE.UTF-8 "Head $version Installation"
  fi
  test_64_bit
  test_failures_upgrade_and_settings
fi

echo "# $E2E_PASSED passed, $E2E_FAILED failed"
[ "$E2E_FAILED" -eq 0 ]
