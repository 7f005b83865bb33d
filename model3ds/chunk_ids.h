// chunk_ids.h - the ids of the 3DS chunks that this project reads, writes or
// passes over on purpose, each named once. Grouped and indented as the
// format nests them: a chunk's children follow it, one step further in.
// Used by the reader, the inspector, the model generator, the tests, the
// benchmarks and the fuzzer; no other file spells an id as a number.
#ifndef MODEL3DS_CHUNK_IDS_H
#define MODEL3DS_CHUNK_IDS_H

#include <stdint.h>

// The main chunk: the whole stream.
const uint16_t CHUNK_MAIN = 0x4D4D;
//   File version (u32), passed over.
const uint16_t CHUNK_FILE_VERSION = 0x0002;

//   The editor section: the objects and materials of the scene.
const uint16_t CHUNK_EDITOR = 0x3D3D;
//     Mesh version (u32), passed over.
const uint16_t CHUNK_MESH_VERSION = 0x3D3E;
//     Master scale (float), passed over.
const uint16_t CHUNK_MASTER_SCALE = 0x0100;

//     A named object: its name, then one mesh, light or camera.
const uint16_t CHUNK_NAMED_OBJECT = 0x4000;
//       Object flag "hidden", passed over.
const uint16_t CHUNK_OBJECT_HIDDEN = 0x4010;
//       A triangle mesh.
const uint16_t CHUNK_TRIANGLE_MESH = 0x4100;
//         Vertex positions: count, then x, y, z floats.
const uint16_t CHUNK_VERTEX_LIST = 0x4110;
//         Vertex flags, passed over.
const uint16_t CHUNK_VERTEX_FLAGS = 0x4111;
//         Faces: count, then a, b, c, flags; sub-chunks follow.
const uint16_t CHUNK_FACE_LIST = 0x4120;
//           Face material group: material name, then the faces it covers.
const uint16_t CHUNK_FACE_MATERIAL_GROUP = 0x4130;
//           Smoothing groups: one u32 of group bits per face.
const uint16_t CHUNK_SMOOTHING_GROUPS = 0x4150;
//         Map coordinates: count, then u, v floats.
const uint16_t CHUNK_MAP_COORDS = 0x4140;
//         Local matrix: three axes and the origin, 12 floats.
const uint16_t CHUNK_LOCAL_MATRIX = 0x4160;
//         Mesh colour: one byte.
const uint16_t CHUNK_MESH_COLOR = 0x4165;
//         Texture information: map type, tiling x and y, 76 further bytes.
const uint16_t CHUNK_MESH_TEXTURE_INFO = 0x4170;
//       A light: position, then sub-chunks.
const uint16_t CHUNK_LIGHT = 0x4600;
//         Spotlight, passed over.
const uint16_t CHUNK_SPOTLIGHT = 0x4610;
//       A camera: position, target, bank, lens.
const uint16_t CHUNK_CAMERA = 0x4700;
//         Camera cone, never walked.
const uint16_t CHUNK_CAMERA_SEE_CONE = 0x4710;

//     A material entry.
const uint16_t CHUNK_MATERIAL = 0xAFFF;
//       Material name.
const uint16_t CHUNK_MATERIAL_NAME = 0xA000;
//       Ambient, diffuse and specular colour: each holds a colour chunk.
const uint16_t CHUNK_MATERIAL_AMBIENT = 0xA010;
const uint16_t CHUNK_MATERIAL_DIFFUSE = 0xA020;
const uint16_t CHUNK_MATERIAL_SPECULAR = 0xA030;
//       Shininess, its strength, transparency, transparency falloff,
//       reflection blur, self-illumination: each holds a percent chunk.
const uint16_t CHUNK_MATERIAL_SHININESS = 0xA040;
const uint16_t CHUNK_MATERIAL_SHININESS_STRENGTH = 0xA041;
const uint16_t CHUNK_MATERIAL_TRANSPARENCY = 0xA050;
const uint16_t CHUNK_MATERIAL_TRANSPARENCY_FALLOFF = 0xA052;
const uint16_t CHUNK_MATERIAL_REFLECTION_BLUR = 0xA053;
const uint16_t CHUNK_MATERIAL_SELF_ILLUMINATION = 0xA084;
//       Two-sided: no body.
const uint16_t CHUNK_MATERIAL_TWO_SIDED = 0xA081;
//       Wire size (float).
const uint16_t CHUNK_MATERIAL_WIRE_SIZE = 0xA087;
//       Shading (u16: 1 flat, 2 Gouraud, 3 Phong, 4 metal).
const uint16_t CHUNK_MATERIAL_SHADING = 0xA100;
//       Texture map: a percent chunk, then the map's own chunks.
const uint16_t CHUNK_MATERIAL_TEXTURE_MAP = 0xA200;
//         Map file name.
const uint16_t CHUNK_MAP_FILE_NAME = 0xA300;
//         Map scale and offset in u and v (floats).
const uint16_t CHUNK_MAP_U_SCALE = 0xA354;
const uint16_t CHUNK_MAP_V_SCALE = 0xA356;
const uint16_t CHUNK_MAP_U_OFFSET = 0xA358;
const uint16_t CHUNK_MAP_V_OFFSET = 0xA35A;
//       The second texture map, laid out as the first; passed over.
const uint16_t CHUNK_MATERIAL_TEXTURE_2 = 0xA33A;

// Colour and percent chunks, inside lights and material properties.
//   Colour as three floats, as three bytes, and their gamma-corrected forms.
const uint16_t CHUNK_COLOR_FLOAT = 0x0010;
const uint16_t CHUNK_COLOR_24 = 0x0011;
const uint16_t CHUNK_LINEAR_COLOR_24 = 0x0012;
const uint16_t CHUNK_LINEAR_COLOR_FLOAT = 0x0013;
//   Percentage as a u16 and as a float.
const uint16_t CHUNK_PERCENT_INT = 0x0030;
const uint16_t CHUNK_PERCENT_FLOAT = 0x0031;

//   The keyframer section: the animation.
const uint16_t CHUNK_KEYFRAMER = 0xB000;
//     Nodes: ambient light, object (mesh), camera, camera target, light,
//     light target, spotlight.
const uint16_t CHUNK_AMBIENT_NODE = 0xB001;
const uint16_t CHUNK_OBJECT_NODE = 0xB002;
const uint16_t CHUNK_CAMERA_NODE = 0xB003;
const uint16_t CHUNK_TARGET_NODE = 0xB004;
const uint16_t CHUNK_LIGHT_NODE = 0xB005;
const uint16_t CHUNK_LIGHT_TARGET_NODE = 0xB006;
const uint16_t CHUNK_SPOTLIGHT_NODE = 0xB007;
//     Animation segment: first and last frame (u32 each).
const uint16_t CHUNK_KEYFRAMER_SEGMENT = 0xB008;
//     Current frame (u32), passed over.
const uint16_t CHUNK_KEYFRAMER_CURRENT_TIME = 0xB009;
//     Keyframer header: revision, scene name, animation length; passed over.
const uint16_t CHUNK_KEYFRAMER_HEADER = 0xB00A;

//       Inside a node: its header (object name, two flag words, parent id),
//       instance name, pivot, bounding box, morph smoothing angle, node id.
const uint16_t CHUNK_NODE_HEADER = 0xB010;
const uint16_t CHUNK_INSTANCE_NAME = 0xB011;
const uint16_t CHUNK_PIVOT = 0xB013;
const uint16_t CHUNK_BOUNDING_BOX = 0xB014;
const uint16_t CHUNK_MORPH_SMOOTH = 0xB015;
const uint16_t CHUNK_NODE_ID = 0xB030;
//       Tracks: a 14-byte header, then the keys.
const uint16_t CHUNK_POSITION_TRACK = 0xB020;
const uint16_t CHUNK_ROTATION_TRACK = 0xB021;
const uint16_t CHUNK_SCALE_TRACK = 0xB022;
const uint16_t CHUNK_FOV_TRACK = 0xB023;
const uint16_t CHUNK_ROLL_TRACK = 0xB024;
const uint16_t CHUNK_COLOR_TRACK = 0xB025;
const uint16_t CHUNK_MORPH_TRACK = 0xB026;
const uint16_t CHUNK_HOTSPOT_TRACK = 0xB027;
const uint16_t CHUNK_FALLOFF_TRACK = 0xB028;
const uint16_t CHUNK_HIDE_TRACK = 0xB029;

#endif
