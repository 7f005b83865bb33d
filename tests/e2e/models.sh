# models.sh - writes small models of every format the saver reads, for the
# end-to-end suites (sourced; bash only, no other tools): a cube of side 2
# in each format, each in a colour of its own so that a picture tells which
# was drawn, and a damaged file of each format.
#
#   write_test_models DIR
#     DIR/red.stl     binary STL, every face red by its per-face colour
#     DIR/green.obj   OBJ with green.mtl, its faces mapped with the image
#                     green.bmp (a pure green 2x2 BMP; the material itself
#                     white, so only the texture makes it green)
#     DIR/blue.glb    binary glTF, its material's base colour a light blue
#     DIR/broken.stl, DIR/broken.obj, DIR/broken.glb   damaged files

# The cube's corners (corner i has x, y, z of -1 or 1 by its bits 0, 1, 2)
# and its twelve triangles, wound outward.
MODELS_CUBE="023 031 457 476 015 054 267 273 046 062 137 175"

# models_coordinate CORNER AXIS: -1 or 1.
models_coordinate() { echo $(((($1 >> $2) & 1) * 2 - 1)); }

# models_float VALUE: the four bytes of -1.0f, 0.0f or 1.0f.
models_float() {
  case $1 in
    1) printf '\0\0\200\77' ;;
    -1) printf '\0\0\200\277' ;;
    *) printf '\0\0\0\0' ;;
  esac
}

# models_u32 VALUE: four little-endian bytes.
models_u32() {
  printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))"
  printf "\\$(printf %03o $((($1 >> 16) & 255)))\\$(printf %03o $((($1 >> 24) & 255)))"
}

# models_corner_floats: the cube's 36 corners, three floats each.
models_corner_floats() {
  local triangle k axis
  for triangle in $MODELS_CUBE; do
    for k in 0 1 2; do
      for axis in 0 1 2; do models_float "$(models_coordinate "${triangle:k:1}" $axis)"; done
    done
  done
}

write_test_models() {
  local dir=$1 triangle k corner axis
  mkdir -p "$dir"
  # STL: 80 header bytes, the count, then per triangle a normal (left 0),
  # three corners and the colour: bit 15 set, red (bits 10-14) full.
  {
    printf 'cube%076d' 0 | tr 0 '\0'
    models_u32 12
    for triangle in $MODELS_CUBE; do
      printf '%012d' 0 | tr 0 '\0'
      for k in 0 1 2; do
        for axis in 0 1 2; do models_float "$(models_coordinate "${triangle:k:1}" $axis)"; done
      done
      printf '\0\374'
    done
  } >"$dir/red.stl"

  # OBJ: the corners, four map coordinates, the faces mapped whole.
  {
    echo "mtllib green.mtl"
    for corner in 0 1 2 3 4 5 6 7; do
      echo "v $(models_coordinate $corner 0) $(models_coordinate $corner 1) $(models_coordinate $corner 2)"
    done
    printf 'vt 0 0\nvt 1 0\nvt 1 1\nusemtl Green\n'
    for triangle in $MODELS_CUBE; do
      echo "f $((${triangle:0:1} + 1))/1 $((${triangle:1:1} + 1))/2 $((${triangle:2:1} + 1))/3"
    done
  } >"$dir/green.obj"
  printf 'newmtl Green\nKd 1 1 1\nmap_Kd green.bmp\n' >"$dir/green.mtl"
  # A 2x2 BMP of 24-bit pixels: rows of 6 bytes padded to 8.
  {
    printf 'BM'; models_u32 70; models_u32 0; models_u32 54
    models_u32 40; models_u32 2; models_u32 2; printf '\1\0\30\0'; models_u32 0; models_u32 16
    models_u32 2835; models_u32 2835; models_u32 0; models_u32 0
    printf '\0\377\0\0\377\0\0\0\0\377\0\0\377\0\0\0'
  } >"$dir/green.bmp"

  # glTF, binary: the header, the JSON chunk (padded with spaces), the
  # binary chunk of the 36 corners (432 bytes).
  local json='{"asset":{"version":"2.0"},"buffers":[{"byteLength":432}],"bufferViews":[{"buffer":0,"byteLength":432}],'
  json+='"accessors":[{"bufferView":0,"componentType":5126,"count":36,"type":"VEC3","min":[-1,-1,-1],"max":[1,1,1]}],'
  json+='"materials":[{"pbrMetallicRoughness":{"baseColorFactor":[0.1,0.35,1,1]}}],'
  json+='"meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0}'
  while [ $((${#json} % 4)) -ne 0 ]; do json+=' '; done
  {
    printf 'glTF'; models_u32 2; models_u32 $((12 + 8 + ${#json} + 8 + 432))
    models_u32 ${#json}; printf 'JSON%s' "$json"
    models_u32 432; printf 'BIN\0'
    models_corner_floats
  } >"$dir/blue.glb"

  printf 'solid broken\nfacet normal 0 0 1\nouter loop\nvertex 0 0 x\n' >"$dir/broken.stl"
  printf 'v 0 0 0\nv 1 0 0\nf 1 2 3\n' >"$dir/broken.obj"
  printf 'glTF\2\0\0\0\24\0\0\0broken' >"$dir/broken.glb"
}

# Why each damaged file is refused, as the saver says it.
MODELS_BROKEN_STL_WHY="the ASCII STL file has a vertex without three numbers (line 4)"
MODELS_BROKEN_OBJ_WHY="the OBJ file has a face whose vertex index is out of range"
MODELS_BROKEN_GLB_WHY="the glTF file could not be read: Too short data size for glTF Binary."
