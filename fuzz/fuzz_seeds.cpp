// fuzz_seeds.cpp - the generated seed streams.
#include "fuzz_seeds.h"

#include "write_3ds.h"

// --- Editor section ---

// A material with an ambient colour.
static void put_coloured_material(ChunkWriter* w, const char* name)
{
    begin_material(w, name);
    put_color_24_property(w, CHUNK_MATERIAL_AMBIENT, 200, 40, 40);
    end_chunk(w);
}

// A material with every property the reader keeps, in every form: colours
// plain and gamma-corrected, percentages as integers and floats, two-sided,
// a first texture map with scale and offset, and a second map passed over.
static void put_full_material(ChunkWriter* w, const char* name)
{
    begin_material(w, name);
    begin_chunk(w, CHUNK_MATERIAL_AMBIENT);
    put_color_chunk(w, CHUNK_COLOR_24, 0.2f, 0.4f, 0.6f);
    put_color_chunk(w, CHUNK_LINEAR_COLOR_24, 0.1f, 0.2f, 0.3f);
    end_chunk(w);
    begin_chunk(w, CHUNK_MATERIAL_DIFFUSE);
    put_color_chunk(w, CHUNK_LINEAR_COLOR_FLOAT, 0.5f, 0.5f, 0.5f);
    put_color_chunk(w, CHUNK_COLOR_FLOAT, 0.8f, 0.1f, 0.1f);
    end_chunk(w);
    put_color_property(w, CHUNK_MATERIAL_SPECULAR, CHUNK_COLOR_FLOAT, 1, 1, 1);
    put_percent_property(w, CHUNK_MATERIAL_SHININESS, 25);
    put_percent_float_property(w, CHUNK_MATERIAL_SHININESS_STRENGTH, 40);
    put_percent_property(w, CHUNK_MATERIAL_TRANSPARENCY, 10);
    put_two_sided(w);
    put_texture_map(w, CHUNK_MATERIAL_TEXTURE_MAP, "WOOD.JPG", 2, 3, 0.5f, -0.25f);
    put_texture_map(w, CHUNK_MATERIAL_TEXTURE_2, "SECOND.JPG", 1, 1, 0, 0);
    end_chunk(w);
}

// A unit cube: 8 vertices, 12 faces in two material groups, map
// coordinates, smoothing groups, its local frame, colour and map info.
static void put_cube(ChunkWriter* w, const char* name, float offset, bool with_materials)
{
    begin_named_object(w, name);
    begin_chunk(w, CHUNK_TRIANGLE_MESH);

    std::vector<Vec3> positions;
    std::vector<float> uv;
    for (int i = 0; i < 8; ++i) {
        positions.push_back({offset + (float)(i & 1), (float)((i >> 1) & 1), (float)((i >> 2) & 1)});
        uv.push_back((float)(i & 1));
        uv.push_back((float)((i >> 1) & 1));
    }
    put_vertex_list(w, positions);
    put_map_coords(w, uv);

    begin_face_list(w, {{0, 1, 3, 7},
                        {0, 3, 2, 7},
                        {4, 6, 7, 7},
                        {4, 7, 5, 7},
                        {0, 4, 5, 7},
                        {0, 5, 1, 7},
                        {2, 3, 7, 7},
                        {2, 7, 6, 7},
                        {0, 2, 6, 7},
                        {0, 6, 4, 7},
                        {1, 5, 7, 7},
                        {1, 7, 3, 7}});
    if (with_materials) {
        put_material_group(w, "red", face_range(0, 6));
        put_material_group(w, "blue", face_range(6, 6));
    }
    std::vector<uint32_t> groups;
    for (uint32_t i = 0; i < 12; ++i) groups.push_back(1u << (i / 2));
    put_smoothing_groups(w, groups);
    end_chunk(w);  // face list

    put_local_matrix(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, offset, 0, 0});

    put_u8_chunk(w, CHUNK_MESH_COLOR, 3);

    begin_chunk(w, CHUNK_MESH_TEXTURE_INFO);
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
    begin_light_object(w, name, {10, 20, 30});
    put_floats_chunk(w, CHUNK_COLOR_FLOAT, {1.0f, 0.5f, 0.25f});
    end_chunk(w);
    end_chunk(w);
}

// --- Keyframer section ---

// A key's frame, spline flags and one float per set flag.
static void put_key_head_with_splines(ChunkWriter* w, uint32_t frame, uint16_t spline_flags)
{
    put_key_head(w, frame, spline_flags);
    for (int bit = 0; bit < 16; ++bit)
        if (spline_flags & (1u << bit)) put_float(w, 0.125f * (float)(bit + 1));
}

static void put_vector_track(ChunkWriter* w, uint16_t id, uint16_t keys)
{
    begin_track(w, id, 0x0002, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head_with_splines(w, 10u * k, k == 1 ? 0x001F : (k == 2 ? 0x8001 : 0));
        const float v[3] = {(float)k, 2.0f * k, 3.0f * k};
        put_floats(w, v, 3);
    }
    end_chunk(w);
}

static void put_rotation_track(ChunkWriter* w, uint16_t keys)
{
    begin_track(w, CHUNK_ROTATION_TRACK, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head_with_splines(w, 10u * k, k == 1 ? 0x0005 : 0);
        const float angle_axis[4] = {0.5f * k, 0, 0, 1};
        put_floats(w, angle_axis, 4);
    }
    end_chunk(w);
}

static void put_scalar_track(ChunkWriter* w, uint16_t id, uint16_t keys)
{
    begin_track(w, id, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head_with_splines(w, 5u * k, k == 1 ? 0x0010 : 0);
        put_float(w, 45.0f + k);
    }
    end_chunk(w);
}

static void put_morph_track(ChunkWriter* w, uint16_t keys)
{
    begin_track(w, CHUNK_MORPH_TRACK, 0, keys);
    for (uint16_t k = 0; k < keys; ++k) {
        put_key_head_with_splines(w, 7u * k, 0x0003);
        put_string(w, k == 0 ? "box" : "morph_target_15");
    }
    end_chunk(w);
}

static void put_hide_track(ChunkWriter* w, uint16_t keys)
{
    begin_track(w, CHUNK_HIDE_TRACK, 0, keys);
    // Hide keys carry no spline floats whatever their flags say.
    for (uint16_t k = 0; k < keys; ++k) put_key_head(w, 20u * k, 0xFFFF);
    end_chunk(w);
}

static void put_mesh_node(ChunkWriter* w, uint16_t id, const char* name, uint16_t parent, uint16_t keys)
{
    begin_chunk(w, CHUNK_OBJECT_NODE);
    put_node_id(w, id);
    put_node_header(w, name, OBJECT_NODE_FLAGS, 0, parent);
    put_floats_chunk(w, CHUNK_PIVOT, {0.5f, 0.5f, 0.5f});
    put_vector_track(w, CHUNK_POSITION_TRACK, keys);
    put_rotation_track(w, keys);
    put_vector_track(w, CHUNK_SCALE_TRACK, keys);
    put_morph_track(w, keys);
    put_hide_track(w, keys);
    end_chunk(w);
}

// A node of a camera, its target or a light: id, header, position track.
static void begin_node(ChunkWriter* w, uint16_t kind, uint16_t id, const char* name, uint16_t parent, uint16_t keys)
{
    begin_chunk(w, kind);
    put_node_id(w, id);
    put_node_header(w, name, 0, 0, parent);
    put_vector_track(w, CHUNK_POSITION_TRACK, keys);
}

// --- Whole streams ---

// A main chunk that starts with the format version (passed over).
template <typename Body>
static std::vector<uint8_t> seed_stream(Body body)
{
    return main_chunk([&](ChunkWriter* w) {
        put_u32_chunk(w, CHUNK_FILE_VERSION, 3);
        body(w);
    });
}

std::vector<FuzzSeed> make_fuzz_seeds()
{
    std::vector<FuzzSeed> seeds;

    seeds.push_back({"gen_empty_editor", seed_stream([](ChunkWriter* w) {
                         begin_chunk(w, CHUNK_EDITOR);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_cube_materials", seed_stream([](ChunkWriter* w) {
                         begin_chunk(w, CHUNK_EDITOR);
                         put_coloured_material(w, "red");
                         put_coloured_material(w, "blue");
                         put_cube(w, "box", 0, true);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_full_material", seed_stream([](ChunkWriter* w) {
                         begin_chunk(w, CHUNK_EDITOR);
                         put_full_material(w, "red");
                         put_cube(w, "box", 0, true);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_animated_hierarchy", seed_stream([](ChunkWriter* w) {
                         begin_chunk(w, CHUNK_EDITOR);
                         put_cube(w, "body", 0, false);
                         put_cube(w, "wheel", 2, false);
                         end_chunk(w);
                         begin_chunk(w, CHUNK_KEYFRAMER);
                         put_segment(w, 0, 100);
                         put_mesh_node(w, 0, "body", NO_PARENT, 3);
                         put_mesh_node(w, 1, "wheel", 0, 2);
                         end_chunk(w);
                     })});

    seeds.push_back({"gen_camera_light", seed_stream([](ChunkWriter* w) {
                         begin_chunk(w, CHUNK_EDITOR);
                         put_cube(w, "box", 0, false);
                         put_camera_object(w, "cam", {0, -50, 10}, {0, 0, 0}, 5, 35);
                         put_light(w, "lamp");
                         end_chunk(w);
                         begin_chunk(w, CHUNK_KEYFRAMER);
                         put_segment(w, 0, 50);
                         put_mesh_node(w, 0, "box", NO_PARENT, 1);
                         begin_node(w, CHUNK_CAMERA_NODE, 1, "cam", 0, 3);
                         put_scalar_track(w, CHUNK_FOV_TRACK, 2);
                         put_scalar_track(w, CHUNK_ROLL_TRACK, 2);
                         end_chunk(w);
                         begin_node(w, CHUNK_TARGET_NODE, 2, "cam", NO_PARENT, 2);
                         end_chunk(w);
                         begin_node(w, CHUNK_LIGHT_NODE, 3, "lamp", NO_PARENT, 2);
                         end_chunk(w);
                         end_chunk(w);
                     })});

    // Nodes before (and without) the objects they name, and lists replaced
    // by later ones.
    seeds.push_back({"gen_oddities", seed_stream([](ChunkWriter* w) {
                         begin_chunk(w, CHUNK_KEYFRAMER);
                         put_mesh_node(w, 0, "ghost", NO_PARENT, 1);
                         end_chunk(w);
                         begin_chunk(w, CHUNK_EDITOR);
                         put_cube(w, "box", 0, false);
                         put_cube(w, "box", 1, false);
                         end_chunk(w);
                         begin_chunk(w, CHUNK_KEYFRAMER);
                         put_mesh_node(w, 4, "nobody", NO_PARENT, 2);
                         put_mesh_node(w, 5, "box", 4, 1);
                         end_chunk(w);
                     })});
    return seeds;
}
