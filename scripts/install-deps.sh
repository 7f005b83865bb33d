#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, skipping
# what is already there. Runs apt-get as root (or through sudo).
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(
  cmake make g++ pkg-config            # host build
  googletest libgtest-dev              # unit tests
  libbenchmark-dev                     # benchmarks
  clang libclang-rt-14-dev             # fuzzer (libFuzzer, sanitizers)
  g++-mingw-w64-i686                   # the Windows build
  g++-mingw-w64-x86-64                 # the same sources 64-bit, tested where 32-bit programs cannot run
  wine wine32:i386                     # runs the Windows build's tests
  wine64                               # the installer's test in a 64-bit prefix
  nsis zip unzip                       # the release: installer, zip
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386  # OpenGL for 32-bit programs under Wine
  xvfb xauth xdotool x11-utils         # virtual display and input for the saver's runs
  xserver-xephyr                       # a desk of two monitors (a nested X server with two Xinerama heads)
  libxinerama1:i386 libxrandr2:i386    # ... which Wine's 32-bit side sees only through these
  libxinerama1 libxrandr2              # ... and its 64-bit side (the windows64 build) through these
  imagemagick                          # screenshots and the animated GIF
  libosmesa6-dev libglu1-mesa-dev      # renderer tests: off-screen GL and GLU
  libstb-dev                           # stb_image: texture images, compiled into both builds
  libtinyobjloader-dev                 # tinyobjloader: OBJ models, compiled into both builds
  libtinygltf-dev nlohmann-json3-dev   # tinygltf and the JSON parser it uses: glTF models, compiled into both builds
  libx11-dev libgl-dev                 # headsaver, the Linux saver: Xlib, GLX (glvnd)
  xscreensaver x11-xserver-utils       # its end-to-end tests: the daemon, xhost
  dpkg-dev                             # its Debian package: dpkg-shlibdeps for CPack, dpkg-buildflags
  lintian                              # ... checked as Debian checks its packages
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# Waits for another apt run to finish rather than failing on its lock.
apt_opts=(-o DPkg::Lock::Timeout=600)
$sudo apt-get "${apt_opts[@]}" update -qq
$sudo apt-get "${apt_opts[@]}" install -y -qq --no-install-recommends "${missing[@]}"
