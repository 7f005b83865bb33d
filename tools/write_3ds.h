// write_3ds.h - the chunks of a 3DS stream, written with ChunkWriter: whole
// streams, the editor's objects and materials, and the keyframer's nodes and
// tracks. One vocabulary for everyone who writes 3DS data: the model
// generator, the tests, the benchmark's scenes and the fuzzer's seeds.
// Every function writes exactly the chunk it names; a begin_* function
// leaves its chunk open for sub-chunks, closed by end_chunk.
#ifndef TOOLS_WRITE_3DS_H
#define TOOLS_WRITE_3DS_H

#include <stdint.h>

#include <vector>

#include "chunk_ids.h"
#include "chunk_writer.h"
#include "scene.h"

// Parent id of a node at the top of the hierarchy.
const uint16_t NO_PARENT = 0xFFFF;
// Face flags: all three edges visible.
const uint16_t FACE_EDGES_VISIBLE = 7;
// The first flags word of the object nodes that modelling programs write.
const uint16_t OBJECT_NODE_FLAGS = 0x4000;

struct FaceSpec {
    uint16_t a, b, c, flags;
};

// A whole stream: a main chunk holding what `body` writes.
template <typename Body>
std::vector<uint8_t> main_chunk(Body body)
{
    ChunkWriter w;
    begin_chunk(&w, CHUNK_MAIN);
    body(&w);
    end_chunk(&w);
    return w.bytes;
}

// --- Chunks of one value ---

void put_u8_chunk(ChunkWriter* w, uint16_t id, uint8_t value);
void put_u16_chunk(ChunkWriter* w, uint16_t id, uint16_t value);
void put_u32_chunk(ChunkWriter* w, uint16_t id, uint32_t value);
void put_floats_chunk(ChunkWriter* w, uint16_t id, const std::vector<float>& values);
void put_string_chunk(ChunkWriter* w, uint16_t id, const char* text);
// A property chunk holding a 24-bit colour chunk.
void put_color_24_property(ChunkWriter* w, uint16_t id, uint8_t red, uint8_t green, uint8_t blue);
// A property chunk holding a percent chunk (u16).
void put_percent_property(ChunkWriter* w, uint16_t id, uint16_t percent);
// A property chunk holding a float percent chunk.
void put_percent_float_property(ChunkWriter* w, uint16_t id, float percent);
// A colour chunk of the given form (CHUNK_COLOR_24, CHUNK_COLOR_FLOAT or
// their gamma-corrected forms): the 24-bit forms write each component in
// 0..1 as the byte component * 255 rounded, the float forms the floats.
void put_color_chunk(ChunkWriter* w, uint16_t form, float red, float green, float blue);
// A property chunk (ambient, diffuse, specular) holding one colour chunk.
void put_color_property(ChunkWriter* w, uint16_t id, uint16_t form, float red, float green, float blue);

// --- Editor ---

// Opens a material entry and writes its name.
void begin_material(ChunkWriter* w, const char* name);
// A material entry with only a name.
void put_material(ChunkWriter* w, const char* name);
// The two-sided flag of a material: a chunk without data.
void put_two_sided(ChunkWriter* w);
// A texture map chunk (CHUNK_MATERIAL_TEXTURE_MAP for the first map): its
// amount (100 percent), its file name, then its scale and offset in u and v.
void put_texture_map(ChunkWriter* w, uint16_t id, const char* file, float u_scale, float v_scale, float u_offset,
                     float v_offset);

// Opens a named object with its name; the mesh, light or camera follows.
void begin_named_object(ChunkWriter* w, const char* name);
void put_vertex_list(ChunkWriter* w, const std::vector<Vec3>& positions);
// Map coordinates: u, v of each vertex in turn.
void put_map_coords(ChunkWriter* w, const std::vector<float>& uv);
// Axes X, Y, Z and the origin, 12 floats.
void put_local_matrix(ChunkWriter* w, const std::vector<float>& matrix);
// Opens a face list with its faces; its sub-chunks may follow before
// end_chunk.
void begin_face_list(ChunkWriter* w, const std::vector<FaceSpec>& faces);
void put_material_group(ChunkWriter* w, const char* material, const std::vector<uint16_t>& faces);
// The face indices first, first + 1, ... (count of them).
std::vector<uint16_t> face_range(uint16_t first, uint16_t count);
void put_smoothing_groups(ChunkWriter* w, const std::vector<uint32_t>& groups);
// A complete named object with a triangle mesh of the given vertices and
// faces (no other sub-chunks).
void put_mesh_object(ChunkWriter* w, const char* name, const std::vector<Vec3>& positions,
                     const std::vector<FaceSpec>& faces);
// Opens a named object's light chunk after its position; sub-chunks follow,
// then two end_chunk calls.
void begin_light_object(ChunkWriter* w, const char* name, Vec3 position);
void put_light_object(ChunkWriter* w, const char* name, Vec3 position);
void put_camera_object(ChunkWriter* w, const char* name, Vec3 position, Vec3 target, float bank, float lens);

// --- Keyframer ---

// Revision, scene name and animation length.
void put_keyframer_header(ChunkWriter* w, uint16_t revision, const char* scene_name, uint32_t length);
void put_segment(ChunkWriter* w, uint32_t first, uint32_t last);
void put_node_header(ChunkWriter* w, const char* name, uint16_t flags1, uint16_t flags2, uint16_t parent);
void put_node_id(ChunkWriter* w, uint16_t id);
// Opens a track chunk with its 14-byte header (flags, the two unused words
// as w->track_unused_word, the key count); keys follow before end_chunk.
void begin_track(ChunkWriter* w, uint16_t id, uint16_t flags, uint32_t key_count);
// The frame and spline flags that start every key.
void put_key_head(ChunkWriter* w, uint32_t frame, uint16_t spline_flags);
// A track of one key at frame, with no spline values, holding value.
void put_one_key_track(ChunkWriter* w, uint16_t id, uint32_t frame, const std::vector<float>& value);
// An object node that holds its object still: node id, header (no parent),
// a pivot at the origin, and one key at frame 0 each of position, of no
// rotation and of unit scale.
void put_still_object_node(ChunkWriter* w, uint16_t node_id, const char* name, Vec3 position);

#endif
