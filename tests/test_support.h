// test_support.h - what the reader's tests share: loading a built stream
// with either byte source, allocation-failure injection, and builders for
// the chunks that the tests assemble with ChunkWriter.
#ifndef TESTS_TEST_SUPPORT_H
#define TESTS_TEST_SUPPORT_H

#include <stdint.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "load_3ds.h"

// The outcome of one load: the scene (released with the Loaded) or the text.
struct Loaded {
    Scene* scene = nullptr;
    std::string error;
    Loaded() = default;
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    Loaded(Loaded&& other) noexcept : scene(other.scene), error(std::move(other.error)) { other.scene = nullptr; }
    ~Loaded() { free_scene(scene); }
};

Loaded load_memory(const std::vector<uint8_t>& bytes);
// Loads through a temporary stdio stream holding `prefix` junk bytes and
// then the stream, positioned after the junk.
Loaded load_file(const std::vector<uint8_t>& bytes, size_t prefix = 0);

// Allocation failures: the n-th call (1-based) from now of calloc or realloc
// returns null; 0 disarms. The reader's calls go through these wrappers.
void fail_calloc_call(int n);
void fail_realloc_call(int n);
// Sizes of the calloc and realloc requests since the last fail_* call.
extern std::vector<size_t> g_calloc_sizes;
extern std::vector<size_t> g_realloc_sizes;

// --- Stream builders ---

struct FaceSpec {
    uint16_t a, b, c, flags;
};

// A whole stream: a main chunk holding what `body` writes.
template <typename Body>
std::vector<uint8_t> main_chunk(Body body)
{
    ChunkWriter w;
    begin_chunk(&w, 0x4D4D);
    body(&w);
    end_chunk(&w);
    return w.bytes;
}

// Opens editor 0x3D3D / named object 0x4000 with its name.
void begin_named_object(ChunkWriter* w, const char* name);
void put_vertex_list(ChunkWriter* w, std::initializer_list<Vec3> positions);
// Opens a face list 0x4120 with its faces; its sub-chunks may follow before
// end_chunk.
void begin_face_list(ChunkWriter* w, std::initializer_list<FaceSpec> faces);
void put_material_group(ChunkWriter* w, const char* material, std::initializer_list<uint16_t> faces);
void put_material(ChunkWriter* w, const char* name);
// A complete named object with a triangle mesh of the given vertices and
// faces (no other sub-chunks).
void put_mesh_object(ChunkWriter* w, const char* name, std::initializer_list<Vec3> positions,
                     std::initializer_list<FaceSpec> faces);
void put_light_object(ChunkWriter* w, const char* name, Vec3 position);
void put_camera_object(ChunkWriter* w, const char* name, Vec3 position, Vec3 target, float bank, float lens);

// Keyframer: a node header 0xB010, a node id 0xB030, a track header.
void put_node_header(ChunkWriter* w, const char* name, uint16_t flags1, uint16_t flags2, uint16_t parent);
void put_node_id(ChunkWriter* w, uint16_t id);
// Opens a track chunk with its 14-byte header; keys follow before end_chunk.
void begin_track(ChunkWriter* w, uint16_t id, uint16_t flags, uint32_t key_count);
// The frame and spline flags that start every key.
void put_key_head(ChunkWriter* w, uint32_t frame, uint16_t spline_flags);
// A one-key position track (0xB020) with value v at frame.
void put_position_track(ChunkWriter* w, uint32_t frame, Vec3 v);

#endif
