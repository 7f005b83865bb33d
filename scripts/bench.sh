#!/usr/bin/env bash
# Builds the optimised host tree and runs the benchmarks:
#   bench_load_3ds    the 3DS reader's load speed (MB/s) on the real files and
#                     large generated scenes, with assimp and lib3ds loading
#                     the same bytes alongside;
#   bench_draw_scene  milliseconds per frame of the embedded model drawn
#                     off-screen (OSMesa) at 640x480 and 1920x1080.
# Arguments go to both, e.g. --benchmark_filter=gen_ or
# --benchmark_repetitions=3.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh libassimp-dev lib3ds-dev
cmake --preset bench
cmake --build --preset bench --parallel
build/bench/bench/bench_load_3ds "$@"
if [ -x build/bench/bench/bench_draw_scene ]; then
  build/bench/bench/bench_draw_scene "$@"
fi
