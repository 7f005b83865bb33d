#!/usr/bin/env bash
# Builds the release files from the committed tree into dist/:
#   head-<version>-win32.zip       head.scr (stripped), README.txt,
#                                  LICENSE.txt, SHA256SUMS
#   head-<version>-setup.exe       the installer (NSIS)
#   headsaver_<version>_amd64.deb  the Linux saver for XScreenSaver (the
#                                  program in /usr/libexec/xscreensaver/, its
#                                  option file in /usr/share/xscreensaver/
#                                  config/, its manual page, its copyright
#                                  file and changelog), made by CPack
#   SHA256SUMS                     checksums of the files above
# The version is the one in CMakeLists.txt's project() call. Two runs from
# the same commit give the same Windows files: the saver is linked without a
# time stamp, and every file in the zip and the installer gets the commit's
# time.
#
# Usage: scripts/package.sh [--windows | --deb] [--out DIR] [--scr PATH] [--dirty]
#   --windows   only the zip and the installer
#   --deb       only the Debian package (built in build/package, or in
#               $PACKAGE_BUILD_DIR)
#   --out DIR   write there instead of dist/
#   --scr PATH  package this head.scr (e.g. build/windows/head.scr) instead
#               of building one in a fresh build/release
#   --dirty     allow uncommitted changes (the files then carry the last
#               commit's time all the same)
# SOURCE_DATE_EPOCH, when set, replaces the commit's time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

out="$root/dist"
scr=""
dirty=0
products=(windows debian)
while [ $# -gt 0 ]; do
  case $1 in
    --windows) products=(windows); shift ;;
    --deb) products=(debian); shift ;;
    --out) out=$2; shift 2 ;;
    --scr) scr=$2; shift 2 ;;
    --dirty) dirty=1; shift ;;
    *) echo "usage: $0 [--windows | --deb] [--out DIR] [--scr PATH] [--dirty]" >&2; exit 2 ;;
  esac
done

version=$(sed -n 's/^project(head_saver VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt's project()" >&2; exit 1; }
if git rev-parse --git-dir >/dev/null 2>&1; then
  if [ $dirty -eq 0 ] && [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "uncommitted changes: commit them, or pass --dirty for a trial package" >&2
    exit 1
  fi
  epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
else
  epoch=${SOURCE_DATE_EPOCH:?"not a git checkout: set SOURCE_DATE_EPOCH to the release's time"}
fi
export SOURCE_DATE_EPOCH=$epoch TZ=UTC
umask 022

tools=(sha256sum)
for product in "${products[@]}"; do
  case $product in
    windows) tools+=(i686-w64-mingw32-strip zip makensis) ;;
    debian) tools+=(cpack dpkg-deb dpkg-shlibdeps dpkg-buildflags) ;;
  esac
done
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (run scripts/install-deps.sh)" >&2; exit 1; }
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/head-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Gives FILE... the release's time.
fix_times() { touch -h -d "@$epoch" "$@"; }

# Text for Windows users: CRLF line ends. to_crlf SOURCE TARGET
to_crlf() { sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }

# --- Windows ------------------------------------------------------------------

# Builds head.scr in a fresh release build folder (only the saver; no tests).
build_windows() {
  if [ -n "$scr" ]; then
    windows_scr=$(cd "$(dirname "$scr")" && pwd)/$(basename "$scr")
    return
  fi
  local dir="$root/build/release"
  rm -rf "$dir"
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSAVER_TESTS=OFF >/dev/null
  cmake --build "$dir" --target head -j2 >/dev/null
  windows_scr="$dir/head.scr"
}

# The zip and the installer, from one staging folder.
package_windows() {
  local stage="$work/win32" name="head-$version-win32"
  mkdir -p "$stage"
  # A 64-bit head.scr (the windows64 build, whose PE machine is 0x8664) is
  # packaged for tests only, with a 64-bit installer that runs where 32-bit
  # programs cannot start. Releases are 32-bit.
  local strip=i686-w64-mingw32-strip nsis_defines=()
  if [ "$(od -An -tu2 -j $(($(od -An -tu4 -j 60 -N 4 "$windows_scr") + 4)) -N 2 "$windows_scr" | tr -d ' ')" = 34404 ]; then
    strip=x86_64-w64-mingw32-strip
    nsis_defines=(-DTEST_TARGET=amd64-unicode)
    echo "a 64-bit head.scr: a test package, not a release" >&2
  fi
  command -v "$strip" >/dev/null || { echo "missing tool: $strip (run scripts/install-deps.sh)" >&2; return 1; }
  # strip writes the current time into the PE header unless told a time;
  # 0 is what the linker leaves there.
  SOURCE_DATE_EPOCH=0 "$strip" -o "$stage/head.scr" "$windows_scr"
  to_crlf installer/README.txt "$stage/README.txt"
  to_crlf LICENSE "$stage/LICENSE.txt"
  (cd "$stage" && sha256sum head.scr README.txt LICENSE.txt >SHA256SUMS)
  chmod 644 "$stage"/*
  fix_times "$stage"/*
  rm -f "$out/$name.zip"
  # -X: no extra fields (owners, exact times); the order is the one given.
  (cd "$stage" && zip -q -X -D "$out/$name.zip" head.scr README.txt LICENSE.txt SHA256SUMS)

  local setup="head-$version-setup.exe"
  rm -f "$out/$setup"
  makensis -V2 "${nsis_defines[@]}" -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$setup" "$root/installer/head.nsi" >"$work/makensis.log" ||
    { cat "$work/makensis.log" >&2; return 1; }
  release_files+=("$name.zip" "$setup")
}

# --- Debian -------------------------------------------------------------------

# Builds headsaver alone, optimised and without the sanitizers (a sanitised
# program would depend on their libraries), with the flags Debian builds its
# packages with, all hardening on (fortified functions, relocations bound
# and made read-only at start); installing, which CPack does, then builds
# nothing else.
build_debian() {
  debian_build=${PACKAGE_BUILD_DIR:-$root/build/package}
  local flags=(env DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get)
  cmake -S "$root" -B "$debian_build" -DCMAKE_BUILD_TYPE=Release -DSAVER_TESTS=OFF -DSAVER_SANITIZE=OFF \
    -DCMAKE_CXX_FLAGS="$("${flags[@]}" CPPFLAGS) $("${flags[@]}" CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$("${flags[@]}" LDFLAGS)" \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
  cmake --build "$debian_build" -j2 --target headsaver headsaver_docs >/dev/null
}

package_debian() {
  local deb
  deb="headsaver_${version}_$(dpkg --print-architecture).deb"
  rm -f "$out/$deb"
  (cd "$debian_build" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; return 1; }
  mv "$work/cpack/$deb" "$out/$deb"
  release_files+=("$deb")
}

# --- all products ---------------------------------------------------------------

# Each product has a build step and a package step; the package steps add
# their files to release_files.
release_files=()
for product in "${products[@]}"; do
  "build_$product"
  "package_$product"
done
(cd "$out" && sha256sum "${release_files[@]}" >SHA256SUMS)
echo "version $version, in $out:"
(cd "$out" && ls -l "${release_files[@]}" SHA256SUMS)
