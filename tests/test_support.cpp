// test_support.cpp - loading helpers, allocation-failure injection and
// chunk builders for the reader's tests.
#include "test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// --- Allocation-failure injection (the test program links with
// --wrap=calloc --wrap=realloc) ---

std::vector<size_t> g_calloc_sizes;
std::vector<size_t> g_realloc_sizes;
static int g_calloc_countdown;
static int g_realloc_countdown;
static bool g_recording;

extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __real_realloc(void* block, size_t size);

extern "C" void* __wrap_calloc(size_t count, size_t size)
{
    if (g_recording) g_calloc_sizes.push_back(count * size);
    if (g_calloc_countdown > 0 && --g_calloc_countdown == 0) return nullptr;
    return __real_calloc(count, size);
}

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    if (g_recording) g_realloc_sizes.push_back(size);
    if (g_realloc_countdown > 0 && --g_realloc_countdown == 0) return nullptr;
    return __real_realloc(block, size);
}

void fail_calloc_call(int n)
{
    g_calloc_countdown = n;
    g_calloc_sizes.clear();
}

void fail_realloc_call(int n)
{
    g_realloc_countdown = n;
    g_realloc_sizes.clear();
}

// Runs one load with the allocation counters live, then disarms them.
static Loaded run_load(const void* source, int method, uint32_t size)
{
    char text[LOAD_3DS_ERROR_TEXT_SIZE];
    memset(text, 0x55, sizeof text);
    Loaded result;
    g_calloc_sizes.clear();
    g_realloc_sizes.clear();
    g_recording = true;
    result.scene = load_3ds(text, source, method, size);
    g_recording = false;
    g_calloc_countdown = 0;
    g_realloc_countdown = 0;
    if (!result.scene) result.error.assign(text, strnlen(text, sizeof text));
    return result;
}

Loaded load_memory(const std::vector<uint8_t>& bytes)
{
    // A copy of exactly the stream's size, so a read past it is caught by
    // the sanitizers as well as by the reader.
    uint8_t* image = (uint8_t*)malloc(bytes.size() ? bytes.size() : 1);
    if (!bytes.empty()) memcpy(image, bytes.data(), bytes.size());
    Loaded result = run_load(image, LOAD_3DS_MEMORY, (uint32_t)bytes.size());
    free(image);
    return result;
}

Loaded load_file(const std::vector<uint8_t>& bytes, size_t prefix)
{
    FILE* stream = tmpfile();
    if (!stream) {
        Loaded failed;
        failed.error = "test could not create a temporary file";
        return failed;
    }
    for (size_t i = 0; i < prefix; ++i) fputc(0xEE, stream);
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), stream);
    fseek(stream, (long)prefix, SEEK_SET);
    Loaded result = run_load(stream, LOAD_3DS_FILE, 0);
    fclose(stream);
    return result;
}

// --- Builders ---

void begin_named_object(ChunkWriter* w, const char* name)
{
    begin_chunk(w, 0x4000);
    put_string(w, name);
}

void put_vertex_list(ChunkWriter* w, std::initializer_list<Vec3> positions)
{
    begin_chunk(w, 0x4110);
    put_u16(w, (uint16_t)positions.size());
    for (const Vec3& p : positions) {
        put_float(w, p.x);
        put_float(w, p.y);
        put_float(w, p.z);
    }
    end_chunk(w);
}

void begin_face_list(ChunkWriter* w, std::initializer_list<FaceSpec> faces)
{
    begin_chunk(w, 0x4120);
    put_u16(w, (uint16_t)faces.size());
    for (const FaceSpec& f : faces) {
        put_u16(w, f.a);
        put_u16(w, f.b);
        put_u16(w, f.c);
        put_u16(w, f.flags);
    }
}

void put_material_group(ChunkWriter* w, const char* material, std::initializer_list<uint16_t> faces)
{
    begin_chunk(w, 0x4130);
    put_string(w, material);
    put_u16(w, (uint16_t)faces.size());
    for (uint16_t f : faces) put_u16(w, f);
    end_chunk(w);
}

void put_material(ChunkWriter* w, const char* name)
{
    begin_chunk(w, 0xAFFF);
    begin_chunk(w, 0xA000);
    put_string(w, name);
    end_chunk(w);
    end_chunk(w);
}

void put_mesh_object(ChunkWriter* w, const char* name, std::initializer_list<Vec3> positions,
                     std::initializer_list<FaceSpec> faces)
{
    begin_named_object(w, name);
    begin_chunk(w, 0x4100);
    put_vertex_list(w, positions);
    begin_face_list(w, faces);
    end_chunk(w);
    end_chunk(w);
    end_chunk(w);
}

void put_light_object(ChunkWriter* w, const char* name, Vec3 position)
{
    begin_named_object(w, name);
    begin_chunk(w, 0x4600);
    put_float(w, position.x);
    put_float(w, position.y);
    put_float(w, position.z);
    end_chunk(w);
    end_chunk(w);
}

void put_camera_object(ChunkWriter* w, const char* name, Vec3 position, Vec3 target, float bank, float lens)
{
    begin_named_object(w, name);
    begin_chunk(w, 0x4700);
    const float body[8] = {position.x, position.y, position.z, target.x, target.y, target.z, bank, lens};
    put_floats(w, body, 8);
    end_chunk(w);
    end_chunk(w);
}

void put_node_header(ChunkWriter* w, const char* name, uint16_t flags1, uint16_t flags2, uint16_t parent)
{
    begin_chunk(w, 0xB010);
    put_string(w, name);
    put_u16(w, flags1);
    put_u16(w, flags2);
    put_u16(w, parent);
    end_chunk(w);
}

void put_node_id(ChunkWriter* w, uint16_t id)
{
    begin_chunk(w, 0xB030);
    put_u16(w, id);
    end_chunk(w);
}

void begin_track(ChunkWriter* w, uint16_t id, uint16_t flags, uint32_t key_count)
{
    begin_chunk(w, id);
    put_u16(w, flags);
    put_u32(w, 0xDEADBEEF);  // the two dropped words
    put_u32(w, 0xDEADBEEF);
    put_u32(w, key_count);
}

void put_key_head(ChunkWriter* w, uint32_t frame, uint16_t spline_flags)
{
    put_u32(w, frame);
    put_u16(w, spline_flags);
}

void put_position_track(ChunkWriter* w, uint32_t frame, Vec3 v)
{
    begin_track(w, 0xB020, 0, 1);
    put_key_head(w, frame, 0);
    put_float(w, v.x);
    put_float(w, v.y);
    put_float(w, v.z);
    end_chunk(w);
}
