// fuzz_seeds.cpp - the generated seed streams.
#include "fuzz_seeds.h"

#include "chunk_writer.h"

// --- Editor section ---

static void put_vec3(ChunkWriter* w, float x, float y, float z)
{
    const float v[3] = {x, y, z};
    put_floats(w, v, 3);
}

static void put_material(ChunkWriter* w, const char* name)
{
    begin_chunk(w, 0xAFFF);
    begin_chunk(w, 0xA000);
    put_string(w, name);
    end_chunk(w);
    begin_chunk(w, 0xA010);  // ambient colour: a chunk the reader passes over
    begin_chunk(w, 0x0011);
    put_u8(w, 200);
    put_u8(w, 40);
    put_u8(w, 40);
    end_chunk(w);
    end_chunk(w);
    end_chunk(w);
}

// A unit cube: 8 vertices, 12 faces in two material groups, map
// coordinates, smoothing groups, its local frame, colour and map info.
static void put_cube(ChunkWriter* w, const char* name, float offset, bool with_materials)
{
    begin_chunk(w, 0x4000);
    put_string(w, name);
    begin_chunk(w, 0x4100);

    begin_chunk(w, 0x4110);
    put_u16(w, 8);
    for (int i = 0; i < 8; ++i) put_vec3(w, offset + (float)(i & 1), (float)((i >> 1) & 1), (float)((i >> 2) & 1));
    end_chunk(w);

    begin_chunk(w, 0x4140);
    put_u16(w, 8);
    for (int i = 0; i < 8; ++i) {
        put_float(w, (float)(i & 1));
        put_float(w, (float)((i >> 1) & 1));
    }
    end_chunk(w);

    static const uint16_t faces[12][3] = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, {0, 4, 5}, {0, 5, 1},
                                          {2, 3, 7}, {2, 7, 6}, {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}};
    begin_chunk(w, 0x4120);
    put_u16(w, 12);
    for (const auto& f : faces) {
        put_u16(w, f[0]);
        put_u16(w, f[1]);
        put_u16(w, f[2]);
        put_u16(w, 7);
    }
    if (with_materials) {
        begin_chunk(w, 0x4130);
        put_string(w, "red");
        put_u16(w, 6);
        for (uint16_t i = 0; i < 6; ++i) put_u16(w, i);
        end_chunk(w);
        begin_chunk(w, 0x4130);
        put_string(w, "blue");
        put_u16(w, 6);
        for (uint16_t i = 6; i < 12; ++i) put_u16(w, i);
        end_chunk(w);
    }
    begin_chunk(w, 0x4150);
    for (uint32_t i = 0; i < 12; ++i) put_u32(w, 1u << (i / 2));
    end_chunk(w);
    end_chunk(w);  // face list

    begin_chunk(w, 0x4160);
    const float frame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, offset, 0, 0};
    put_floats(w, frame, 12);
    end_chunk(w);

    begin_chunk(w, 0x4165);
    put_u8(w, 3);
    end_chunk(w);

    begin_chunk(w, 0x4170);
    put_u16(w, 1);
    put_float(w, 2.0f);
    put_float(w, 3.0f);
    for (int i = 0; i < 76; ++i) put_u8(w, 0);
    end_chunk(w);

    end_chunk(w);  // mesh
    end_chunk(w);  // named object
}

static void put_light(ChunkWriter* w, const char* name)
{
    begin_chunk(w, 0x4000);
    put_string(w, name);
    begin_chunk(w, 0x4600);
    put_vec3(w, 10, 20, 30);
    begin_chunk(w, 0x0010);
    put_vec3(w, 1.0f, 0.5f, 0.25f);
    end_chunk(w);
    end_chunk(w);
    end_chunk(w);
}

static void put_camera(ChunkWriter* w, const char* name)
{
    begin_chunk(w, 0x4000);
    put_string(w, name);
    begin_chunk(w, 0x4700);
    const float body[8] = {0, -50, 10, 0, 0, 0, 5, 35};
    put_floats(w, body, 8);
    end_chunk(w);
    end_chunk(w);
}

// --- Keyframer section ---

static void put_track_header(ChunkWriter* w, uint16_t flags, uint16_t keys)
{
    put_u16(w, flags);
    for (int i = 0; i < 8; ++i) put_u8(w, 0);
    put_u16(w, keys);
    put_u16(w, 0);
}

// A key's frame, spline flags and one float per set flag.
static void put_key_head(ChunkWriter* w, uint32_t frame, uint16_t spline_flags)
{
    put_u32(w, frame);
    put_u16(w, spline_flags);
    for (int bit = 0; bit < 16; ++bit)
        if (spline_flags & (1u << bit)) put_float(w, 0.125f * (float)(bit + 1));
}

static void put_vector_track(ChunkWriter* w, uint16_t id, uint16_t keys)
{
    begin_chunk(w, id);
    put_track_header(w, 0x0002, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head(w, 10u * k, k == 1 ? 0x001F : (k == 2 ? 0x8001 : 0));
        put_vec3(w, (float)k, 2.0f * k, 3.0f * k);
    }
    end_chunk(w);
}

static void put_rotation_track(ChunkWriter* w, uint16_t keys)
{
    begin_chunk(w, 0xB021);
    put_track_header(w, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head(w, 10u * k, k == 1 ? 0x0005 : 0);
        put_float(w, 0.5f * k);
        put_vec3(w, 0, 0, 1);
    }
    end_chunk(w);
}

static void put_scalar_track(ChunkWriter* w, uint16_t id, uint16_t keys)
{
    begin_chunk(w, id);
    put_track_header(w, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head(w, 5u * k, k == 1 ? 0x0010 : 0);
        put_float(w, 45.0f + k);
    }
    end_chunk(w);
}

static void put_morph_track(ChunkWriter* w, uint16_t keys)
{
    begin_chunk(w, 0xB026);
    put_track_header(w, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head(w, 7u * k, 0x0003);
        put_string(w, k == 0 ? "box" : "morph_target_15");
    }
    end_chunk(w);
}

static void put_hide_track(ChunkWriter* w, uint16_t keys)
{
    begin_chunk(w, 0xB029);
    put_track_header(w, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_u32(w, 20u * k);
        put_u16(w, 0xFFFF);  // hide keys carry no spline floats whatever this says
    }
    end_chunk(w);
}

static void put_node_id(ChunkWriter* w, uint16_t id)
{
    begin_chunk(w, 0xB030);
    put_u16(w, id);
    end_chunk(w);
}

static void put_node_header(ChunkWriter* w, const char* name, uint16_t flags, uint16_t parent)
{
    begin_chunk(w, 0xB010);
    put_string(w, name);
    put_u16(w, flags);
    put_u16(w, 0);
    put_u16(w, parent);
    end_chunk(w);
}

static void put_segment(ChunkWriter* w, uint32_t first, uint32_t last)
{
    begin_chunk(w, 0xB008);
    put_u32(w, first);
    put_u32(w, last);
    end_chunk(w);
}

static void put_mesh_node(ChunkWriter* w, uint16_t id, const char* name, uint16_t parent, uint16_t keys)
{
    begin_chunk(w, 0xB002);
    put_node_id(w, id);
    put_node_header(w, name, 0x4000, parent);
    begin_chunk(w, 0xB013);
    put_vec3(w, 0.5f, 0.5f, 0.5f);
    end_chunk(w);
    put_vector_track(w, 0xB020, keys);
    put_rotation_track(w, keys);
    put_vector_track(w, 0xB022, keys);
    put_morph_track(w, keys);
    put_hide_track(w, keys);
    end_chunk(w);
}

// --- Whole streams ---

template <typename Body>
static std::vector<uint8_t> main_chunk(Body body)
{
    ChunkWriter w;
    begin_chunk(&w, 0x4D4D);
    begin_chunk(&w, 0x0002);  // format version: passed over
    put_u32(&w, 3);
    end_chunk(&w);
    body(&w);
    end_chunk(&w);
    return w.bytes;
}

std::vector<FuzzSeed> make_fuzz_seeds()
{
    std::vector<FuzzSeed> seeds;

    seeds.push_back({"gen_empty_editor", main_chunk([](ChunkWriter* w) {
                         begin_chunk(w, 0x3D3D);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_cube_materials", main_chunk([](ChunkWriter* w) {
                         begin_chunk(w, 0x3D3D);
                         put_material(w, "red");
                         put_material(w, "blue");
                         put_cube(w, "box", 0, true);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_animated_hierarchy", main_chunk([](ChunkWriter* w) {
                         begin_chunk(w, 0x3D3D);
                         put_cube(w, "body", 0, false);
                         put_cube(w, "wheel", 2, false);
                         end_chunk(w);
                         begin_chunk(w, 0xB000);
                         put_segment(w, 0, 100);
                         put_mesh_node(w, 0, "body", 0xFFFF, 3);
                         put_mesh_node(w, 1, "wheel", 0, 2);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_camera_light", main_chunk([](ChunkWriter* w) {
                         begin_chunk(w, 0x3D3D);
                         put_cube(w, "box", 0, false);
                         put_camera(w, "cam");
                         put_light(w, "lamp");
                         end_chunk(w);
                         begin_chunk(w, 0xB000);
                         put_segment(w, 0, 50);
                         put_mesh_node(w, 0, "box", 0xFFFF, 1);
                         begin_chunk(w, 0xB003);
                         put_node_id(w, 1);
                         put_node_header(w, "cam", 0, 0);
                         put_vector_track(w, 0xB020, 3);
                         put_scalar_track(w, 0xB023, 2);
                         put_scalar_track(w, 0xB024, 2);
                         end_chunk(w);
                         begin_chunk(w, 0xB004);
                         put_node_id(w, 2);
                         put_node_header(w, "cam", 0, 0xFFFF);
                         put_vector_track(w, 0xB020, 2);
                         end_chunk(w);
                         begin_chunk(w, 0xB005);
                         put_node_id(w, 3);
                         put_node_header(w, "lamp", 0, 0xFFFF);
                         put_vector_track(w, 0xB020, 2);
                         end_chunk(w);
                         end_chunk(w);
                     })});

    // Nodes before (and without) the objects they name, and lists replaced
    // by later ones.
    seeds.push_back({"gen_oddities", main_chunk([](ChunkWriter* w) {
                         begin_chunk(w, 0xB000);
                         put_mesh_node(w, 0, "ghost", 0xFFFF, 1);
                         end_chunk(w);
                         begin_chunk(w, 0x3D3D);
                         put_cube(w, "box", 0, false);
                         put_cube(w, "box", 1, false);
                         end_chunk(w);
                         begin_chunk(w, 0xB000);
                         put_mesh_node(w, 4, "nobody", 0xFFFF, 2);
                         put_mesh_node(w, 5, "box", 4, 1);
                         end_chunk(w);
                     })});
    return seeds;
}
