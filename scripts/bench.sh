#!/usr/bin/env bash
# Builds and runs the benchmarks.
#   host (optimised host tree):
#     bench_load_3ds    the 3DS reader's load speed (MB/s) on the real files and
#                       large generated scenes, with assimp and lib3ds loading
#                       the same bytes alongside;
#     bench_draw_scene  milliseconds per frame of the embedded model drawn
#                       off-screen (OSMesa) at 640x480 and 1920x1080.
#   windows (MinGW-w64 i686 build, run under Wine in a 32-bit prefix of its
#   own):
#     bench_load_win32  the reader as the saver ships it, on the Windows C
#                       runtime's heap: MB/s on the real files and on scenes
#                       of 10,000, 20,000 and 40,000 small objects, and the
#                       40k/10k time ratio (4 when loading is linear).
# Usage: scripts/bench.sh [host|windows] [ARGS...]
# Without "host" or "windows" both run. ARGS go to the host benchmarks, e.g.
# --benchmark_filter=gen_ or --benchmark_repetitions=3. BENCH_WIN32_SECONDS
# sets the Windows benchmark's time per case (default 1).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

which=all
if [ "${1:-}" = host ] || [ "${1:-}" = windows ]; then
  which=$1
  shift
fi

if [ "$which" != windows ]; then
  scripts/install-deps.sh libassimp-dev lib3ds-dev
  cmake --preset bench
  cmake --build --preset bench -j2
  build/bench/bench/bench_load_3ds "$@"
  if [ -x build/bench/bench/bench_draw_scene ]; then
    build/bench/bench/bench_draw_scene "$@"
  fi
fi

if [ "$which" != host ]; then
  if [ "$which" = windows ]; then scripts/install-deps.sh; fi
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j2 --target bench_load_win32
  corpus="$(cd .. && pwd)/shared/corpus/3ds"
  export WINEDEBUG=-all WINEARCH=win32
  WINEPREFIX=$(mktemp -d /tmp/saver-bench-wine.XXXXXX)
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
  echo "== Windows build's reader under Wine ($(wine --version 2>/dev/null))"
  # Wine's drive Z: is the Unix root.
  wine build/windows/bench/bench_load_win32.exe "Z:${corpus//\//\\}" "${BENCH_WIN32_SECONDS:-1}" | tr -d '\r'
fi
