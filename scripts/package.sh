#!/usr/bin/env bash
# Makes the release packages of the saver.
#
#   scripts/package.sh --deb [OUTPUT_FOLDER]
#       headsaver_<version>_amd64.deb, the Linux saver for XScreenSaver
#       (the program in /usr/libexec/xscreensaver/, its option file in
#       /usr/share/xscreensaver/config/), built by CPack from an optimised,
#       unsanitised build in build/package (or $PACKAGE_BUILD_DIR). Default
#       output folder: build/package/out.
#
# Prints the path of each package it made.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# --- The Debian package of headsaver ---

package_deb() {
  local out=${1:-$root/build/package/out}
  local build=${PACKAGE_BUILD_DIR:-$root/build/package}
  # Only headsaver is built; installing (which CPack does) then builds
  # nothing else.
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSAVER_TESTS=OFF -DSAVER_SANITIZE=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
  cmake --build "$build" -j2 --target headsaver >/dev/null
  mkdir -p "$out"
  out="$(cd "$out" && pwd)"
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  local deb="$out/headsaver_${version}_$(dpkg --print-architecture).deb"
  rm -f "$deb"
  (cd "$build" && cpack -G DEB -B "$out/cpack" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; return 1; }
  mv "$out/cpack/$(basename "$deb")" "$deb"
  rm -rf "$out/cpack" "$out/cpack.log"
  echo "$deb"
}

case "${1:-}" in
  --deb)
    shift
    package_deb "$@"
    ;;
  *)
    echo "usage: scripts/package.sh --deb [OUTPUT_FOLDER]" >&2
    exit 2
    ;;
esac
