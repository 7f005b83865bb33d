#!/usr/bin/env bash
# Mutation run over the 3DS reader: N (default 20000) mutated copies of the
# real 3DS files (when the shared corpus folder is there) and the generated
# seeds, each loaded with both byte sources under the sanitizers. Exits
# non-zero on any crash, hang, leak, sanitizer report or broken promise.
# Usage: scripts/robustness.sh [N] [SEED]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
count="${1:-20000}"
seed="${2:-1}"
if ! [[ "$count" =~ ^[0-9]+$ && "$seed" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [N] [SEED]" >&2
  exit 2
fi

"$root/scripts/install-deps.sh"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target mutate_corpus

corpus_dir="$(cd "$root/.." && pwd)/shared/corpus/3ds"
"$root/build/fuzz/fuzz/mutate_corpus" -s "$seed" -n "$count" "$corpus_dir"
