#!/usr/bin/env bash
# Builds the optimised host tree and runs the 3DS reader's benchmark, with
# assimp and lib3ds loading the same data alongside. Arguments go to
# bench_load_3ds, e.g. --benchmark_filter=gen_ or --benchmark_repetitions=3.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh libassimp-dev lib3ds-dev
cmake --preset bench
cmake --build --preset bench --parallel
exec build/bench/bench/bench_load_3ds "$@"
