#!/usr/bin/env bash
# The project's test command: installs what is missing (Debian 12, as root),
# builds and runs every test.
#   1. host build under AddressSanitizer, UndefinedBehaviorSanitizer and
#      LeakSanitizer: unit tests and tool tests;
#   2. Windows build (MinGW-w64 i686): head.scr, the same unit tests and
#      the tests of the built program under Wine, the end-to-end suite
#      (the real head.scr under Wine on a virtual X display of its own) and
#      the release suite (scripts/package.sh's zip and installer, installed,
#      run and uninstalled in fresh 32-bit and 64-bit Wine prefixes);
#      on a machine that cannot start 32-bit programs the 32-bit build is
#      made and checked, and its tests under Wine run on a 64-bit build of
#      the same sources (preset windows64) under Wine's 64-bit side;
#   3. the reader's fuzz target for a bounded time (FUZZ_SECONDS, default 60),
#      then the texture target for half that time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)

echo "== host build and tests (sanitizers on)"
cmake --preset host >/dev/null
cmake --build --preset host -j"$jobs"
ctest --preset host -j"$jobs"

echo "== Windows build, tests and end-to-end suite under Wine"
# The saver is a 32-bit program: its prefixes are 32-bit even where wine64
# is installed beside wine32 (a new prefix would otherwise be 64-bit).
export WINEDEBUG=-all WINEARCH=win32
WINEPREFIX=$(mktemp -d /tmp/saver-wine.XXXXXX)
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
# Wine runs the saver's 32-bit code as 32-bit Linux code: a machine whose
# kernel refuses 32-bit programs (ia32 emulation off) cannot run any of it.
# There the 32-bit build is still made and its imports checked, and the same
# sources built 64-bit (windows64) run every Wine test in 64-bit prefixes;
# what only the 32-bit build can show is said skipped.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  ctest --preset windows
else
  ctest --preset windows -LE wine
  echo "skipped: this machine cannot start 32-bit programs, so Wine cannot run the 32-bit build;"
  echo "skipped: its tests under Wine (label wine) run on the 64-bit build of the same sources instead:"
  ctest --preset windows -L wine -N | sed -n 's/^ *Test *#[0-9]*: /skipped:   (32-bit) /p'
  echo "== the Windows sources built 64-bit, tests and end-to-end suite under Wine's 64-bit side"
  source scripts/lib/wine64_only.sh
  wine64_only_path "$WINEPREFIX.bin"
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$WINEPREFIX.bin"' EXIT
  export WINEARCH=win64
  cmake --preset windows64 >/dev/null
  cmake --build --preset windows64 -j"$jobs"
  ctest --preset windows64
fi

echo "== fuzzing the reader for ${FUZZ_SECONDS:-60} s, then the texture images for half that"
FUZZ_SEED="${FUZZ_SEED:-1}" scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

echo "all tests passed"
