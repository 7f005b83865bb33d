#!/usr/bin/env bash
# test_3dsinfo.sh TOOL CORPUS_DIR - checks the 3dsinfo inspector.
#
# Small scenes written here byte by byte must give exactly the expected text
# and JSON; the error paths must give exact messages and exit codes; and the
# real files in CORPUS_DIR (when that folder exists) must give the meshes,
# faces, cameras and lights that two independent readers report for them.
set -u

if [ $# -ne 2 ]; then
    echo "usage: test_3dsinfo.sh TOOL CORPUS_DIR" >&2
    exit 2
fi
tool=$1
corpus=$2
case $tool in /*) ;; *) tool=$PWD/$tool ;; esac
case $corpus in /*) ;; *) corpus=$PWD/$corpus ;; esac
sources=$(cd "$(dirname "$0")/.." && pwd)

g_failures=0
fail() {
    echo "FAIL: $*"
    g_failures=$((g_failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# Runs the tool with the given arguments; leaves exit code, stdout and
# stderr in $rc, out.txt and err.txt.
run() {
    "$tool" "$@" >out.txt 2>err.txt
    rc=$?
}

# expect_error NAME CODE STDERR_TEXT ARGS... - exact exit code, exact stderr,
# empty stdout.
expect_error() {
    local name=$1 code=$2 message=$3
    shift 3
    run "$@"
    [ "$rc" -eq "$code" ] || fail "$name: exit $rc, want $code"
    printf '%s\n' "$message" >want_err.txt
    diff -u want_err.txt err.txt >diff.txt || fail "$name: stderr differs: $(cat diff.txt)"
    [ ! -s out.txt ] || fail "$name: stdout not empty: $(cat out.txt)"
}

# expect_output NAME WANT_FILE ARGS... - exit 0, stdout exactly WANT_FILE,
# empty stderr.
expect_output() {
    local name=$1 want=$2
    shift 2
    run "$@"
    [ "$rc" -eq 0 ] || fail "$name: exit $rc, want 0; stderr: $(cat err.txt)"
    diff -u "$want" out.txt >diff.txt || fail "$name: stdout differs:
$(cat diff.txt)"
    [ ! -s err.txt ] || fail "$name: stderr not empty: $(cat err.txt)"
}

# --- Scenes built here ---

WRITER_HEADERS=$sources/model3ds/chunk_ids.h:$sources/tools/write_3ds.h python3 - <<'EOF' || { echo "FAIL: could not write the test scenes"; exit 1; }
import os, re, struct

# The chunk ids and the values the writers name, from the project's headers.
for header in os.environ["WRITER_HEADERS"].split(":"):
    for name, value in re.findall(r"const uint16_t (\w+) = (\w+);", open(header).read()):
        globals()[name] = int(value, 0)

def chunk(cid, *parts):
    body = b"".join(parts)
    return struct.pack("<HI", cid, 6 + len(body)) + body

def floats(*values):
    return struct.pack("<%df" % len(values), *values)

def u16(*values):
    return struct.pack("<%dH" % len(values), *values)

def track(cid, keys):
    # flags, 8 dropped bytes, key count, 2 dropped bytes; then the keys,
    # each frame (u32) and spline flags 0.
    return chunk(cid, u16(0), bytes(8), u16(len(keys), 0),
                 b"".join(struct.pack("<IH", frame, 0) + body for frame, body in keys))

def node_header(name, flags, parent):
    return chunk(CHUNK_NODE_HEADER, name + b"\0", u16(flags, 0, parent))

def named(name, *parts):
    return chunk(CHUNK_NAMED_OBJECT, name + b"\0", *parts)

inf = float("inf")
nan = float("nan")

# Scene one: materials (one with every property drawing uses, one with
# quote, backslash, Latin-1 and control bytes in its name, one that no face
# uses), a mesh whose faces use two of
# them, a camera with an infinite lens, a light with a not-a-number colour
# whose node names the mesh's node (7) as parent, and a keyframer with every
# mesh track.
odd = b'M"\\\xe9\x01x'
mesh_name = b"Tri\x80"
scene_one = chunk(CHUNK_MAIN,
    chunk(CHUNK_EDITOR,
        chunk(CHUNK_MATERIAL, chunk(CHUNK_MATERIAL_NAME, b"Wood\0"),
            chunk(CHUNK_MATERIAL_AMBIENT, chunk(CHUNK_COLOR_24, bytes([51, 102, 255]))),
            chunk(CHUNK_MATERIAL_DIFFUSE, chunk(CHUNK_COLOR_FLOAT, floats(0.25, 0.5, 0.75))),
            chunk(CHUNK_MATERIAL_SPECULAR, chunk(CHUNK_LINEAR_COLOR_24, bytes([0, 0, 255]))),
            chunk(CHUNK_MATERIAL_SHININESS, chunk(CHUNK_PERCENT_INT, u16(25))),
            chunk(CHUNK_MATERIAL_SHININESS_STRENGTH, chunk(CHUNK_PERCENT_FLOAT, floats(40))),
            chunk(CHUNK_MATERIAL_TRANSPARENCY, chunk(CHUNK_PERCENT_INT, u16(50))),
            chunk(CHUNK_MATERIAL_TWO_SIDED),
            chunk(CHUNK_MATERIAL_TEXTURE_MAP, chunk(CHUNK_MAP_FILE_NAME, b"WOOD.JPG\0"),
                  chunk(CHUNK_MAP_U_SCALE, floats(2)), chunk(CHUNK_MAP_V_SCALE, floats(3)),
                  chunk(CHUNK_MAP_U_OFFSET, floats(0.5)), chunk(CHUNK_MAP_V_OFFSET, floats(-0.25)))),
        chunk(CHUNK_MATERIAL, chunk(CHUNK_MATERIAL_NAME, odd + b"\0")),
        chunk(CHUNK_MATERIAL, chunk(CHUNK_MATERIAL_NAME, b"Unused\0")),
        named(mesh_name,
            chunk(CHUNK_TRIANGLE_MESH,
                chunk(CHUNK_VERTEX_LIST, u16(4), floats(1, -2, 3, -4.5, 5, -6, 7, 8.25, -9, 0, 0, 100)),
                chunk(CHUNK_FACE_LIST, u16(3), u16(0, 1, 2, 0, 1, 2, 3, 0, 2, 3, 0, 0),
                      chunk(CHUNK_FACE_MATERIAL_GROUP, odd + b"\0", u16(1, 2)),
                      chunk(CHUNK_FACE_MATERIAL_GROUP, b"Wood\0", u16(1, 0))))),
        named(b"Cam", chunk(CHUNK_CAMERA, floats(10, 20, 30, -1, -2, -3, 0, inf))),
        named(b"Lamp\t", chunk(CHUNK_LIGHT, floats(0.5, -0.25, 2), chunk(CHUNK_COLOR_FLOAT, floats(0.5, nan, 1))))),
    chunk(CHUNK_KEYFRAMER,
        chunk(CHUNK_KEYFRAMER_SEGMENT, struct.pack("<ii", 5, 250)),
        chunk(CHUNK_OBJECT_NODE,
            chunk(CHUNK_NODE_ID, u16(7)),
            node_header(mesh_name, OBJECT_NODE_FLAGS, NO_PARENT),
            chunk(CHUNK_PIVOT, floats(0, 0, 0)),
            track(CHUNK_POSITION_TRACK, [(0, floats(0, 0, 0)), (10, floats(1, 1, 1))]),
            track(CHUNK_ROTATION_TRACK, [(0, floats(0, 0, 0, 1))]),
            track(CHUNK_SCALE_TRACK, [(0, floats(1, 1, 1)), (5, floats(2, 2, 2)), (9, floats(3, 3, 3))]),
            track(CHUNK_MORPH_TRACK, [(0, b"Other\0")]),
            track(CHUNK_HIDE_TRACK, [(1, b""), (2, b""), (3, b""), (4, b"")])),
        chunk(CHUNK_LIGHT_NODE,
            chunk(CHUNK_NODE_ID, u16(1)),
            node_header(b"Lamp\t", 0, 7))))
open("one.3ds", "wb").write(scene_one)

# Scene two: no materials, a mesh with not-a-number coordinates (which the
# extents pass over), a node that is no one's parent, no segment.
scene_two = chunk(CHUNK_MAIN,
    chunk(CHUNK_EDITOR,
        named(b"Flat",
            chunk(CHUNK_TRIANGLE_MESH,
                chunk(CHUNK_VERTEX_LIST, u16(3), floats(nan, 1, 2, 3, nan, -1, nan, 4, 0)),
                chunk(CHUNK_FACE_LIST, u16(1), u16(0, 1, 2, 7))))),
    chunk(CHUNK_KEYFRAMER,
        chunk(CHUNK_OBJECT_NODE,
            chunk(CHUNK_NODE_ID, u16(3)),
            node_header(b"Flat", 0x0800, NO_PARENT),
            track(CHUNK_POSITION_TRACK, [(0, floats(0, 0, 0))]))))
open("two.3ds", "wb").write(scene_two)

# Scene three: a mesh without vertices or faces, nothing else.
open("three.3ds", "wb").write(chunk(CHUNK_MAIN, chunk(CHUNK_EDITOR, named(b"Empty", chunk(CHUNK_TRIANGLE_MESH)))))

# An empty main chunk.
open("four.3ds", "wb").write(chunk(CHUNK_MAIN))

# Not 3DS data, and a 3DS stream cut short.
open("ab.bin", "wb").write(b"ab" * 32)
open("cut.3ds", "wb").write(scene_one[:40])
EOF

cat >want.txt <<'EOF'
axes: stream (as stored, Z up)
mesh 0 "Tri\x80": 4 vertices, 3 faces
  extents: x -4.5 .. 7, y -2 .. 8.25, z -9 .. 100
  materials: "Wood", "M\x22\x5C\xE9\x01x"
  node: id 7, parent 65535, flags 0x4000, has_children 1
  keys: position 2, rotation 1, scale 3, morph 1, hide 4
material 0 "Wood"
  colours: ambient (0.2, 0.4, 1), diffuse (0.25, 0.5, 0.75), specular (0, 0, 1)
  shininess 0.25, strength 0.4, transparency 0.5, two-sided 1
  texture "WOOD.JPG": scale (2, 3), offset (0.5, -0.25)
material 1 "M\x22\x5C\xE9\x01x"
  colours: ambient (0.588235, 0.588235, 0.588235), diffuse (0.588235, 0.588235, 0.588235), specular (0.898039, 0.898039, 0.898039)
  shininess 0.1, strength 0, transparency 0, two-sided 0
material 2 "Unused"
  colours: ambient (0.588235, 0.588235, 0.588235), diffuse (0.588235, 0.588235, 0.588235), specular (0.898039, 0.898039, 0.898039)
  shininess 0.1, strength 0, transparency 0, two-sided 0
camera 0 "Cam": position (10, 20, 30), target (-1, -2, -3), lens inf
light 0 "Lamp\x09": position (0.5, -0.25, 2), colour (0.5, nan, 1)
segment: first 5, last 250
total: 1 meshes, 4 vertices, 3 faces, 3 materials, 1 cameras, 1 lights
EOF
expect_output "scene one, text" want.txt one.3ds

cat >want.txt <<'EOF'
{
  "file": "one.3ds",
  "axes": "stream",
  "meshes": [
    {"name": "Tri\u0080", "vertex_count": 4, "face_count": 3,
     "extents": {"min": [-4.5, -2, -9], "max": [7, 8.25, 100]},
     "materials": ["Wood", "M\"\\\u00e9\u0001x"],
     "node": {"id": 7, "parent_id": 65535, "flags": 16384, "has_children": true},
     "keys": {"position": 2, "rotation": 1, "scale": 3, "morph": 1, "hide": 4}}
  ],
  "materials": [
    "Wood",
    "M\"\\\u00e9\u0001x",
    "Unused"
  ],
  "material_properties": [
    {"name": "Wood", "ambient": [0.200000003, 0.400000006, 1], "diffuse": [0.25, 0.5, 0.75], "specular": [0, 0, 1],
     "shininess": 0.25, "shininess_strength": 0.400000006, "transparency": 0.5, "two_sided": true,
     "texture": {"file": "WOOD.JPG", "scale": [2, 3], "offset": [0.5, -0.25]}},
    {"name": "M\"\\\u00e9\u0001x", "ambient": [0.588235319, 0.588235319, 0.588235319], "diffuse": [0.588235319, 0.588235319, 0.588235319], "specular": [0.898039222, 0.898039222, 0.898039222],
     "shininess": 0.100000001, "shininess_strength": 0, "transparency": 0, "two_sided": false,
     "texture": null},
    {"name": "Unused", "ambient": [0.588235319, 0.588235319, 0.588235319], "diffuse": [0.588235319, 0.588235319, 0.588235319], "specular": [0.898039222, 0.898039222, 0.898039222],
     "shininess": 0.100000001, "shininess_strength": 0, "transparency": 0, "two_sided": false,
     "texture": null}
  ],
  "cameras": [
    {"name": "Cam", "position": [10, 20, 30], "target": [-1, -2, -3], "lens": null}
  ],
  "lights": [
    {"name": "Lamp\t", "position": [0.5, -0.25, 2], "colour": [0.5, null, 1]}
  ],
  "segment": {"first": 5, "last": 250},
  "total": {"meshes": 1, "vertices": 4, "faces": 3, "materials": 3, "cameras": 1, "lights": 1}
}
EOF
expect_output "scene one, JSON" want.txt one.3ds --json
expect_output "scene one, JSON first" want.txt --json one.3ds
python3 -c '
import json, sys
d = json.load(open("out.txt"))
assert d["materials"][1] == "M\"\\\u00e9\u0001x", d["materials"][1]
assert d["meshes"][0]["name"] == "Tri\u0080"
assert d["material_properties"][0]["texture"]["file"] == "WOOD.JPG"
assert d["lights"][0]["name"] == "Lamp\t"
' || fail "scene one: JSON does not parse back to the names"

cat >want.txt <<'EOF'
axes: stream (as stored, Z up)
mesh 0 "Flat": 3 vertices, 1 faces
  extents: x 3 .. 3, y 1 .. 4, z -1 .. 2
  materials: none
  node: id 3, parent 65535, flags 0x0800, has_children 0
  keys: position 1, rotation 0, scale 0, morph 0, hide 0
segment: first 0, last 0
total: 1 meshes, 3 vertices, 1 faces, 0 materials, 0 cameras, 0 lights
EOF
expect_output "scene two, text" want.txt two.3ds

cat >want.txt <<'EOF'
{
  "file": "two.3ds",
  "axes": "stream",
  "meshes": [
    {"name": "Flat", "vertex_count": 3, "face_count": 1,
     "extents": {"min": [3, 1, -1], "max": [3, 4, 2]},
     "materials": [],
     "node": {"id": 3, "parent_id": 65535, "flags": 2048, "has_children": false},
     "keys": {"position": 1, "rotation": 0, "scale": 0, "morph": 0, "hide": 0}}
  ],
  "materials": [],
  "material_properties": [],
  "cameras": [],
  "lights": [],
  "segment": {"first": 0, "last": 0},
  "total": {"meshes": 1, "vertices": 3, "faces": 1, "materials": 0, "cameras": 0, "lights": 0}
}
EOF
expect_output "scene two, JSON" want.txt two.3ds --json

# A mesh without a node keeps the zero ids: its parent id 0 names its own
# node id 0.
cat >want.txt <<'EOF'
axes: stream (as stored, Z up)
mesh 0 "Empty": 0 vertices, 0 faces
  extents: none
  materials: none
  node: id 0, parent 0, flags 0x0000, has_children 1
  keys: position 0, rotation 0, scale 0, morph 0, hide 0
segment: first 0, last 0
total: 1 meshes, 0 vertices, 0 faces, 0 materials, 0 cameras, 0 lights
EOF
expect_output "scene three, text" want.txt three.3ds

cat >want.txt <<'EOF'
{
  "file": "three.3ds",
  "axes": "stream",
  "meshes": [
    {"name": "Empty", "vertex_count": 0, "face_count": 0,
     "extents": null,
     "materials": [],
     "node": {"id": 0, "parent_id": 0, "flags": 0, "has_children": true},
     "keys": {"position": 0, "rotation": 0, "scale": 0, "morph": 0, "hide": 0}}
  ],
  "materials": [],
  "material_properties": [],
  "cameras": [],
  "lights": [],
  "segment": {"first": 0, "last": 0},
  "total": {"meshes": 1, "vertices": 0, "faces": 0, "materials": 0, "cameras": 0, "lights": 0}
}
EOF
expect_output "scene three, JSON" want.txt three.3ds --json

cat >want.txt <<'EOF'
axes: stream (as stored, Z up)
segment: first 0, last 0
total: 0 meshes, 0 vertices, 0 faces, 0 materials, 0 cameras, 0 lights
EOF
expect_output "empty scene, text" want.txt four.3ds

cat >want.txt <<'EOF'
{
  "file": "four.3ds",
  "axes": "stream",
  "meshes": [],
  "materials": [],
  "material_properties": [],
  "cameras": [],
  "lights": [],
  "segment": {"first": 0, "last": 0},
  "total": {"meshes": 0, "vertices": 0, "faces": 0, "materials": 0, "cameras": 0, "lights": 0}
}
EOF
expect_output "empty scene, JSON" want.txt four.3ds --json

# --- Errors ---

usage="usage: 3dsinfo FILE [--json]"
expect_error "no arguments" 2 "$usage"
expect_error "only --json" 2 "$usage" --json
expect_error "unknown option" 2 "3dsinfo: unknown option --xml
$usage" one.3ds --xml
expect_error "two files" 2 "3dsinfo: more than one FILE
$usage" one.3ds two.3ds
expect_error "missing file" 1 "3dsinfo: missing.3ds: No such file or directory" missing.3ds
expect_error "missing file, JSON" 1 "3dsinfo: missing.3ds: No such file or directory" missing.3ds --json
expect_error "not 3DS data" 1 "3dsinfo: ab.bin: This is not 3ds data." ab.bin
expect_error "not 3DS data, JSON" 1 "3dsinfo: ab.bin: This is not 3ds data." --json ab.bin
expect_error "cut short" 1 "3dsinfo: cut.3ds: Error reading file." cut.3ds

run --help
[ "$rc" -eq 0 ] || fail "--help: exit $rc, want 0"
[ "$(head -n 1 out.txt)" = "$usage" ] || fail "--help: first line is not the usage line"
grep -q "file's axes" out.txt || fail "--help does not say that values are in the file's axes"

# --- Other formats: told apart by content, named on a line of their own ---

printf 'v 0 0 0\nv 1 0 0\nv 0 2 0\nf 1 2 3\n' >tall.dat
cat >want.txt <<'EOF'
format: OBJ
axes: stream (as stored, Y up)
mesh 0 "": 3 vertices, 1 faces
  extents: x 0 .. 1, y 0 .. 2, z 0 .. 0
  materials: ""
  node: id 0, parent 0, flags 0x0000, has_children 0
  keys: position 0, rotation 0, scale 0, morph 0, hide 0
material 0 ""
  colours: ambient (0.588235, 0.588235, 0.588235), diffuse (0.588235, 0.588235, 0.588235), specular (0.898039, 0.898039, 0.898039)
  shininess 0.1, strength 0, transparency 0, two-sided 0
segment: first 0, last 0
total: 1 meshes, 3 vertices, 1 faces, 1 materials, 0 cameras, 0 lights
EOF
expect_output "OBJ, text" want.txt tall.dat
printf 'solid s\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid s\n' >part.stl
run part.stl --json
grep -q '^  "format": "stl",$' out.txt || fail "STL, JSON: no format key: $(head -n 3 out.txt)"
printf 'solid s\nfacet\nouter loop\nvertex 0 0 x\n' >bad.stl
expect_error "damaged STL" 1 "3dsinfo: bad.stl: the ASCII STL file has a vertex without three numbers (line 4)" bad.stl

if [ -w /dev/full ]; then
    "$tool" one.3ds >/dev/full 2>err.txt
    rc=$?
    [ "$rc" -eq 1 ] || fail "output to a full device: exit $rc, want 1"
    [ "$(cat err.txt)" = "3dsinfo: error writing output" ] || fail "output to a full device: stderr $(cat err.txt)"
fi

# --- Real files ---

# name meshes faces cameras lights, as two independent readers report them.
corpus_counts="
CameraRollAnim.3ds 1 12 1 0
CameraRollAnimWithChildObject.3ds 2 24 1 0
Granate.3DS 2 376 0 0
RotatingCube.3DS 1 12 0 0
TargetCameraAnim.3ds 1 12 1 0
cart_wheel.3DS 13 1400 0 0
cube_with_diffuse_texture.3DS 1 12 0 0
cube_with_specular_texture.3DS 1 12 0 0
cubes_with_alpha.3DS 5 60 0 0
fels.3ds 1 768 0 0
jeep1.3ds 7 2032 0 0
mar_rifle.3ds 1 572 0 0
mp5_sil.3ds 1 366 0 0
pyramob.3DS 1 31460 1 3
test1.3ds 9 108 0 0
"

if [ ! -d "$corpus" ]; then
    echo "corpus checks skipped: no folder $corpus"
else
    checked=0
    while read -r name meshes faces cameras lights; do
        [ -n "$name" ] || continue
        file=$corpus/$name
        if [ ! -f "$file" ]; then
            fail "$name: not in the corpus"
            continue
        fi

        run "$file"
        if [ "$rc" -ne 0 ] || [ -s err.txt ]; then
            fail "$name: exit $rc; stderr: $(cat err.txt)"
            continue
        fi
        total=$(grep '^total: ' out.txt)
        got=$(printf '%s\n' "$total" |
            sed -E 's/^total: ([0-9]+) meshes, [0-9]+ vertices, ([0-9]+) faces, [0-9]+ materials, ([0-9]+) cameras, ([0-9]+) lights$/\1 \2 \3 \4/')
        [ "$got" = "$meshes $faces $cameras $lights" ] ||
            fail "$name: text total '$total', want $meshes meshes, $faces faces, $cameras cameras, $lights lights"
        # The per-record lines agree with the total.
        [ "$(grep -c '^mesh ' out.txt)" -eq "$meshes" ] || fail "$name: mesh lines differ from $meshes"
        [ "$(grep -c '^camera ' out.txt)" -eq "$cameras" ] || fail "$name: camera lines differ from $cameras"
        [ "$(grep -c '^light ' out.txt)" -eq "$lights" ] || fail "$name: light lines differ from $lights"
        sum=$(sed -nE 's/^mesh [0-9]+ ".*": [0-9]+ vertices, ([0-9]+) faces$/\1/p' out.txt | awk '{ s += $1 } END { print s + 0 }')
        [ "$sum" -eq "$faces" ] || fail "$name: mesh lines hold $sum faces, want $faces"

        run "$file" --json
        if [ "$rc" -ne 0 ] || [ -s err.txt ]; then
            fail "$name --json: exit $rc; stderr: $(cat err.txt)"
            continue
        fi
        python3 -m json.tool out.txt >/dev/null 2>&1 || fail "$name --json: not a JSON document"
        got=$(python3 -c '
import json
d = json.load(open("out.txt"))
t = d["total"]
counts = [len(d["meshes"]), sum(m["face_count"] for m in d["meshes"]), len(d["cameras"]), len(d["lights"])]
totals = [t["meshes"], t["faces"], t["cameras"], t["lights"]]
print(*counts, "/", *totals)
' 2>&1)
        want="$meshes $faces $cameras $lights"
        [ "$got" = "$want / $want" ] || fail "$name --json: counts and totals '$got', want '$want / $want'"
        checked=$((checked + 1))
    done <<<"$corpus_counts"
    echo "corpus: $checked files checked"
fi

if [ "$g_failures" -ne 0 ]; then
    echo "$g_failures check(s) failed"
    exit 1
fi
echo "all checks passed"
