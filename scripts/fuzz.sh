#!/usr/bin/env bash
# Fuzzes the 3DS reader with libFuzzer for SECONDS (default 60), then the
# texture images' decoding and scaling for half as long, then the STL, OBJ
# and glTF readers for a quarter each.
#
# Builds the "fuzz" preset, fills build/fuzz/seeds with the real 3DS files
# (when the shared corpus folder is there) and the generated seeds, and runs
# the fuzzer with its working corpus in build/fuzz/corpus, which is kept
# between runs; the texture target's seeds (small images of each format,
# written by make_texture_seeds) and working corpus are in
# build/fuzz/texture_seeds and build/fuzz/texture_corpus. Crash, leak,
# timeout and out-of-memory inputs land in build/fuzz/artifacts. Exits
# non-zero when either fuzzer finds any.
# FUZZ_SEED, when set, makes the run repeatable (the test command sets it,
# so that its result is no matter of luck): libFuzzer's random seed is
# fixed, the working corpora start empty, and each target stops after a set
# number of inputs (2,000 a second for the reader, 700 for the images) if
# its time has not run out first: every such run tries the same inputs, or
# the first of them on a slower machine. Unset, each run explores anew and
# keeps its working corpora.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi

"$root/scripts/install-deps.sh"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzz_load_3ds make_fuzz_seeds fuzz_texture make_texture_seeds fuzz_load_stl fuzz_load_obj fuzz_load_gltf

build="$root/build/fuzz"
corpus_dir="$(cd "$root/.." && pwd)/shared/corpus/3ds"
seeds="$build/seeds"
work="$build/corpus"
artifacts="$build/artifacts"
repeatable=()
if [ -n "${FUZZ_SEED:-}" ]; then
  repeatable=(-seed="$FUZZ_SEED")
  rm -rf "$build/corpus" "$build/texture_corpus" "$build/stl_corpus" "$build/obj_corpus" "$build/gltf_corpus"
fi
rm -rf "$seeds" "$artifacts"
mkdir -p "$seeds" "$work" "$artifacts"

if [ -d "$corpus_dir" ]; then
  copied=0
  while IFS= read -r -d '' file; do
    cp "$file" "$seeds/"
    copied=$((copied + 1))
  done < <(find "$corpus_dir" -maxdepth 1 -type f -iname '*.3ds' -print0)
  echo "seeds: $copied files from $corpus_dir"
else
  echo "seeds: $corpus_dir absent, skipped"
fi
"$build/fuzz/make_fuzz_seeds" "$seeds"
# The model the saver carries, which is what the reader reads in every run.
cp "$root/resources/head.3ds" "$seeds/"

max_len="$(find "$seeds" -type f -printf '%s\n' | sort -n | tail -n 1)"
echo "fuzzing for ${seconds}s, max_len $max_len"

status=0
"$build/fuzz/fuzz_load_3ds" \
  -max_total_time="$seconds" "${repeatable[@]}" ${FUZZ_SEED:+-runs=$((seconds * 2000))} -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
  -dict="$root/fuzz/load_3ds.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
  "$work" "$seeds" || status=$?

texture_seconds=$(( (seconds + 1) / 2 ))
texture_seeds="$build/texture_seeds"
texture_work="$build/texture_corpus"
rm -rf "$texture_seeds"
mkdir -p "$texture_seeds" "$texture_work"
"$build/fuzz/make_texture_seeds" "$texture_seeds"
echo "fuzzing the texture images for ${texture_seconds}s"
if [ "$status" -eq 0 ]; then
  "$build/fuzz/fuzz_texture" \
    -max_total_time="$texture_seconds" "${repeatable[@]}" ${FUZZ_SEED:+-runs=$((texture_seconds * 700))} -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$texture_work" "$texture_seeds" || status=$?
fi

# The readers of the other formats, a quarter of SECONDS each, from seeds
# written here into build/fuzz/<format>_seeds (working corpora in
# build/fuzz/<format>_corpus).
format_seconds=$(( (seconds + 3) / 4 ))
fuzz_format() {  # fuzz_format FORMAT RUNS_A_SECOND
  [ "$status" -eq 0 ] || return 0
  echo "fuzzing the $1 reader for ${format_seconds}s"
  mkdir -p "$build/$1_corpus"
  "$build/fuzz/fuzz_load_$1" \
    -max_total_time="$format_seconds" "${repeatable[@]}" ${FUZZ_SEED:+-runs=$((format_seconds * $2))} -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$build/$1_corpus" "$build/$1_seeds" || status=$?
}
rm -rf "$build/stl_seeds" "$build/obj_seeds" "$build/gltf_seeds"
mkdir -p "$build/stl_seeds" "$build/obj_seeds" "$build/gltf_seeds"
# STL: an ASCII file of one facet, a binary one of two (the second with a
# face colour), and a binary one whose header begins with "solid".
printf 'solid s\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n   vertex 0 1 0\n  endloop\n endfacet\nendsolid s\n' \
  >"$build/stl_seeds/ascii.stl"
binary_triangle() { printf '%012d' 0 | tr 0 '\0'; printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\200\77\0\0\0\0\0\0\0\0\0\0\0\0\0\0\200\77\0\0\0\0'"$1"; }
{ printf 'binary%074d' 0 | tr 0 '\0'; printf '\2\0\0\0'; binary_triangle '\0\0'; binary_triangle '\37\374'; } >"$build/stl_seeds/binary.stl"
{ printf 'solid binary%068d' 0 | tr 0 '\0'; printf '\1\0\0\0'; binary_triangle '\0\0'; } >"$build/stl_seeds/solid_binary.stl"
# OBJ (the target reads the input as its own material library too): a
# textured quad with its material, and polygons, groups, smoothing and
# negative indices.
printf 'mtllib self.mtl\nnewmtl M\nKd 1 0.5 0\nKs 1 1 1\nNs 40\nd 0.5\nmap_Kd -s 2 2 1 wood.png\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nusemtl M\nf 1/1/1 2/2/1 3/3/1 4/4/1\n' \
  >"$build/obj_seeds/quad.obj"
printf 'o A\ng g1\ns 1\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 1\nv 0.5 2 0\nf -5 -4 -3 -2 -1\ns off\nf 1//1 2//1 3//1\nl 1 2\np 3\n' \
  >"$build/obj_seeds/polygon.obj"
# glTF (the target reads the input as its own external buffer too): a
# triangle in a data URI under a node with a transform, with a material and
# its texture, and one whose buffer is external.
triangle='"bufferViews":[{"buffer":0,"byteLength":36}],"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],"meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0,"mode":4}]}],"materials":[{"alphaMode":"BLEND","doubleSided":true,"pbrMetallicRoughness":{"baseColorFactor":[1,0.5,0,0.5],"baseColorTexture":{"index":0,"extensions":{"KHR_texture_transform":{"offset":[0.5,0],"scale":[2,2]}}}}}],"textures":[{"source":0}],"images":[{"uri":"wood.png"}],"nodes":[{"children":[1],"translation":[1,2,3]},{"mesh":0,"rotation":[0,0,0.7071,0.7071],"scale":[2,2,2]}],"scenes":[{"nodes":[0]}],"scene":0'
printf '{"asset":{"version":"2.0"},"buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}],%s}' "$triangle" \
  >"$build/gltf_seeds/triangle.gltf"
printf '{"asset":{"version":"2.0"},"buffers":[{"byteLength":36,"uri":"triangle.bin"}],%s}' "$triangle" \
  >"$build/gltf_seeds/external.gltf"
fuzz_format stl 2000
fuzz_format obj 1000
fuzz_format gltf 500

mapfile -t found < <(find "$artifacts" -type f | sort)
if [ "$status" -ne 0 ] || [ "${#found[@]}" -gt 0 ]; then
  echo "fuzz.sh: the fuzzer stopped with status $status" >&2
  for file in "${found[@]}"; do
    echo "fuzz.sh: finding: $file" >&2
  done
  exit 1
fi
echo "fuzz.sh: no findings in ${seconds}s + ${texture_seconds}s + 3 x ${format_seconds}s; working corpora: $(find "$work" -type f | wc -l), $(find "$texture_work" -type f | wc -l) and, of STL, OBJ and glTF, $(find "$build/stl_corpus" "$build/obj_corpus" "$build/gltf_corpus" -type f | wc -l) inputs"
