// write_3ds.cpp - the chunks of a 3DS stream, written with ChunkWriter.
#include "write_3ds.h"

// --- Chunks of one value ---

void put_u8_chunk(ChunkWriter* w, uint16_t id, uint8_t value)
{
    begin_chunk(w, id);
    put_u8(w, value);
    end_chunk(w);
}

void put_u16_chunk(ChunkWriter* w, uint16_t id, uint16_t value)
{
    begin_chunk(w, id);
    put_u16(w, value);
    end_chunk(w);
}

void put_u32_chunk(ChunkWriter* w, uint16_t id, uint32_t value)
{
    begin_chunk(w, id);
    put_u32(w, value);
    end_chunk(w);
}

void put_floats_chunk(ChunkWriter* w, uint16_t id, const std::vector<float>& values)
{
    begin_chunk(w, id);
    put_floats(w, values.data(), values.size());
    end_chunk(w);
}

void put_string_chunk(ChunkWriter* w, uint16_t id, const char* text)
{
    begin_chunk(w, id);
    put_string(w, text);
    end_chunk(w);
}

void put_color_24_property(ChunkWriter* w, uint16_t id, uint8_t red, uint8_t green, uint8_t blue)
{
    begin_chunk(w, id);
    begin_chunk(w, CHUNK_COLOR_24);
    put_u8(w, red);
    put_u8(w, green);
    put_u8(w, blue);
    end_chunk(w);
    end_chunk(w);
}

void put_percent_property(ChunkWriter* w, uint16_t id, uint16_t percent)
{
    begin_chunk(w, id);
    put_u16_chunk(w, CHUNK_PERCENT_INT, percent);
    end_chunk(w);
}

void put_percent_float_property(ChunkWriter* w, uint16_t id, float percent)
{
    begin_chunk(w, id);
    put_floats_chunk(w, CHUNK_PERCENT_FLOAT, {percent});
    end_chunk(w);
}

void put_color_chunk(ChunkWriter* w, uint16_t form, float red, float green, float blue)
{
    const float rgb[3] = {red, green, blue};
    begin_chunk(w, form);
    if (form == CHUNK_COLOR_24 || form == CHUNK_LINEAR_COLOR_24) {
        for (float c : rgb) put_u8(w, (uint8_t)(c * 255.0f + 0.5f));
    } else {
        put_floats(w, rgb, 3);
    }
    end_chunk(w);
}

void put_color_property(ChunkWriter* w, uint16_t id, uint16_t form, float red, float green, float blue)
{
    begin_chunk(w, id);
    put_color_chunk(w, form, red, green, blue);
    end_chunk(w);
}

// --- Editor ---

void begin_material(ChunkWriter* w, const char* name)
{
    begin_chunk(w, CHUNK_MATERIAL);
    put_string_chunk(w, CHUNK_MATERIAL_NAME, name);
}

void put_material(ChunkWriter* w, const char* name)
{
    begin_material(w, name);
    end_chunk(w);
}

void put_two_sided(ChunkWriter* w)
{
    begin_chunk(w, CHUNK_MATERIAL_TWO_SIDED);
    end_chunk(w);
}

void put_texture_map(ChunkWriter* w, uint16_t id, const char* file, float u_scale, float v_scale, float u_offset,
                     float v_offset)
{
    begin_chunk(w, id);
    put_u16_chunk(w, CHUNK_PERCENT_INT, 100);
    put_string_chunk(w, CHUNK_MAP_FILE_NAME, file);
    put_floats_chunk(w, CHUNK_MAP_U_SCALE, {u_scale});
    put_floats_chunk(w, CHUNK_MAP_V_SCALE, {v_scale});
    put_floats_chunk(w, CHUNK_MAP_U_OFFSET, {u_offset});
    put_floats_chunk(w, CHUNK_MAP_V_OFFSET, {v_offset});
    end_chunk(w);
}

void begin_named_object(ChunkWriter* w, const char* name)
{
    begin_chunk(w, CHUNK_NAMED_OBJECT);
    put_string(w, name);
}

void put_vertex_list(ChunkWriter* w, const std::vector<Vec3>& positions)
{
    begin_chunk(w, CHUNK_VERTEX_LIST);
    put_u16(w, (uint16_t)positions.size());
    for (const Vec3& p : positions) {
        put_float(w, p.x);
        put_float(w, p.y);
        put_float(w, p.z);
    }
    end_chunk(w);
}

void put_map_coords(ChunkWriter* w, const std::vector<float>& uv)
{
    begin_chunk(w, CHUNK_MAP_COORDS);
    put_u16(w, (uint16_t)(uv.size() / 2));
    put_floats(w, uv.data(), uv.size());
    end_chunk(w);
}

void put_local_matrix(ChunkWriter* w, const std::vector<float>& matrix)
{
    put_floats_chunk(w, CHUNK_LOCAL_MATRIX, matrix);
}

void begin_face_list(ChunkWriter* w, const std::vector<FaceSpec>& faces)
{
    begin_chunk(w, CHUNK_FACE_LIST);
    put_u16(w, (uint16_t)faces.size());
    for (const FaceSpec& f : faces) {
        put_u16(w, f.a);
        put_u16(w, f.b);
        put_u16(w, f.c);
        put_u16(w, f.flags);
    }
}

void put_material_group(ChunkWriter* w, const char* material, const std::vector<uint16_t>& faces)
{
    begin_chunk(w, CHUNK_FACE_MATERIAL_GROUP);
    put_string(w, material);
    put_u16(w, (uint16_t)faces.size());
    for (uint16_t f : faces) put_u16(w, f);
    end_chunk(w);
}

std::vector<uint16_t> face_range(uint16_t first, uint16_t count)
{
    std::vector<uint16_t> faces;
    for (uint16_t i = 0; i < count; ++i) faces.push_back((uint16_t)(first + i));
    return faces;
}

void put_smoothing_groups(ChunkWriter* w, const std::vector<uint32_t>& groups)
{
    begin_chunk(w, CHUNK_SMOOTHING_GROUPS);
    for (uint32_t g : groups) put_u32(w, g);
    end_chunk(w);
}

void put_mesh_object(ChunkWriter* w, const char* name, const std::vector<Vec3>& positions,
                     const std::vector<FaceSpec>& faces)
{
    begin_named_object(w, name);
    begin_chunk(w, CHUNK_TRIANGLE_MESH);
    put_vertex_list(w, positions);
    begin_face_list(w, faces);
    end_chunk(w);
    end_chunk(w);
    end_chunk(w);
}

void begin_light_object(ChunkWriter* w, const char* name, Vec3 position)
{
    begin_named_object(w, name);
    begin_chunk(w, CHUNK_LIGHT);
    put_float(w, position.x);
    put_float(w, position.y);
    put_float(w, position.z);
}

void put_light_object(ChunkWriter* w, const char* name, Vec3 position)
{
    begin_light_object(w, name, position);
    end_chunk(w);
    end_chunk(w);
}

void put_camera_object(ChunkWriter* w, const char* name, Vec3 position, Vec3 target, float bank, float lens)
{
    begin_named_object(w, name);
    put_floats_chunk(w, CHUNK_CAMERA, {position.x, position.y, position.z, target.x, target.y, target.z, bank, lens});
    end_chunk(w);
}

// --- Keyframer ---

void put_keyframer_header(ChunkWriter* w, uint16_t revision, const char* scene_name, uint32_t length)
{
    begin_chunk(w, CHUNK_KEYFRAMER_HEADER);
    put_u16(w, revision);
    put_string(w, scene_name);
    put_u32(w, length);
    end_chunk(w);
}

void put_segment(ChunkWriter* w, uint32_t first, uint32_t last)
{
    begin_chunk(w, CHUNK_KEYFRAMER_SEGMENT);
    put_u32(w, first);
    put_u32(w, last);
    end_chunk(w);
}

void put_node_header(ChunkWriter* w, const char* name, uint16_t flags1, uint16_t flags2, uint16_t parent)
{
    begin_chunk(w, CHUNK_NODE_HEADER);
    put_string(w, name);
    put_u16(w, flags1);
    put_u16(w, flags2);
    put_u16(w, parent);
    end_chunk(w);
}

void put_node_id(ChunkWriter* w, uint16_t id) { put_u16_chunk(w, CHUNK_NODE_ID, id); }

void begin_track(ChunkWriter* w, uint16_t id, uint16_t flags, uint32_t key_count)
{
    begin_chunk(w, id);
    put_u16(w, flags);
    put_u32(w, w->track_unused_word);
    put_u32(w, w->track_unused_word);
    put_u32(w, key_count);
}

void put_key_head(ChunkWriter* w, uint32_t frame, uint16_t spline_flags)
{
    put_u32(w, frame);
    put_u16(w, spline_flags);
}

void put_one_key_track(ChunkWriter* w, uint16_t id, uint32_t frame, const std::vector<float>& value)
{
    begin_track(w, id, 0, 1);
    put_key_head(w, frame, 0);
    put_floats(w, value.data(), value.size());
    end_chunk(w);
}

void put_still_object_node(ChunkWriter* w, uint16_t node_id, const char* name, Vec3 position)
{
    begin_chunk(w, CHUNK_OBJECT_NODE);
    put_node_id(w, node_id);
    put_node_header(w, name, OBJECT_NODE_FLAGS, 0, NO_PARENT);
    put_floats_chunk(w, CHUNK_PIVOT, {0, 0, 0});
    put_one_key_track(w, CHUNK_POSITION_TRACK, 0, {position.x, position.y, position.z});
    put_one_key_track(w, CHUNK_ROTATION_TRACK, 0, {0, 0, 0, 1});
    put_one_key_track(w, CHUNK_SCALE_TRACK, 0, {1, 1, 1});
    end_chunk(w);
}
