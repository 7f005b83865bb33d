// bench_scenes.cpp - the cases of the reader's benchmarks: corpus files, and
// synthetic 3DS scenes written with ChunkWriter in the chunk order that
// modelling programs use.
#include "bench_scenes.h"

#include <ctype.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "chunk_writer.h"

namespace {

const int MATERIAL_COUNT = 8;

struct MeshData {
    std::vector<float> positions;    // x, y, z per vertex
    std::vector<uint16_t> corners;   // a, b, c per face
};

MeshData cube_mesh(float x, float y, float z)
{
    MeshData m;
    for (int i = 0; i < 8; ++i) {
        m.positions.push_back(x + (float)(i & 1));
        m.positions.push_back(y + (float)((i >> 1) & 1));
        m.positions.push_back(z + (float)((i >> 2) & 1));
    }
    static const uint16_t faces[36] = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                                       2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    m.corners.assign(faces, faces + 36);
    return m;
}

// A flat grid 100 quads wide, two faces per quad, cut off at face_count.
MeshData grid_mesh(int face_count, float z)
{
    const int columns = 100;
    const int rows = (face_count / 2 + columns - 1) / columns;
    MeshData m;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            m.positions.push_back((float)c);
            m.positions.push_back((float)r);
            m.positions.push_back(z);
        }
    for (int q = 0; q < face_count / 2; ++q) {
        uint16_t a = (uint16_t)(q / columns * (columns + 1) + q % columns);
        uint16_t b = (uint16_t)(a + 1), c = (uint16_t)(a + columns + 1), d = (uint16_t)(c + 1);
        const uint16_t two[6] = {a, b, d, a, d, c};
        m.corners.insert(m.corners.end(), two, two + 6);
    }
    return m;
}

void material_name(char* text, int index) { snprintf(text, 16, "material_%d", index); }
void object_name(char* text, int index) { snprintf(text, 16, "obj%05d", index); }

void put_materials(ChunkWriter* w)
{
    for (int i = 0; i < MATERIAL_COUNT; ++i) {
        char name[16];
        material_name(name, i);
        begin_chunk(w, 0xAFFF);
        begin_chunk(w, 0xA000);
        put_string(w, name);
        end_chunk(w);
        end_chunk(w);
    }
}

// A named object with a triangle mesh: vertices, local frame, faces with one
// material group covering them all and one smoothing group per face.
void put_object(ChunkWriter* w, int index, const MeshData& m)
{
    char name[16];
    object_name(name, index);
    uint16_t vertex_count = (uint16_t)(m.positions.size() / 3);
    uint16_t face_count = (uint16_t)(m.corners.size() / 3);

    begin_chunk(w, 0x4000);
    put_string(w, name);
    begin_chunk(w, 0x4100);

    begin_chunk(w, 0x4110);
    put_u16(w, vertex_count);
    put_floats(w, m.positions.data(), m.positions.size());
    end_chunk(w);

    const float frame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, m.positions[0], m.positions[1], m.positions[2]};
    begin_chunk(w, 0x4160);
    put_floats(w, frame, 12);
    end_chunk(w);

    begin_chunk(w, 0x4120);
    put_u16(w, face_count);
    for (size_t f = 0; f < face_count; ++f) {
        for (int k = 0; k < 3; ++k) put_u16(w, m.corners[3 * f + k]);
        put_u16(w, 0x0007);
    }
    char material[16];
    material_name(material, index % MATERIAL_COUNT);
    begin_chunk(w, 0x4130);
    put_string(w, material);
    put_u16(w, face_count);
    for (uint16_t f = 0; f < face_count; ++f) put_u16(w, f);
    end_chunk(w);
    begin_chunk(w, 0x4150);
    for (uint16_t f = 0; f < face_count; ++f) put_u32(w, 1);
    end_chunk(w);
    end_chunk(w);  // face list

    end_chunk(w);  // triangle mesh
    end_chunk(w);  // named object
}

// One key of frame 0 with no spline parameters, after the track header.
void put_track(ChunkWriter* w, uint16_t id, const float* value, int floats)
{
    begin_chunk(w, id);
    put_u16(w, 0);
    put_u32(w, 0);
    put_u32(w, 0);
    put_u32(w, 1);
    put_u32(w, 0);
    put_u16(w, 0);
    put_floats(w, value, (size_t)floats);
    end_chunk(w);
}

// The mesh node of object `index`: node id, header (no parent), pivot and
// one-key position, rotation and scale tracks.
void put_mesh_node(ChunkWriter* w, int index, const MeshData& m)
{
    char name[16];
    object_name(name, index);
    begin_chunk(w, 0xB002);
    begin_chunk(w, 0xB030);
    put_u16(w, (uint16_t)index);
    end_chunk(w);
    begin_chunk(w, 0xB010);
    put_string(w, name);
    put_u16(w, 0x4000);
    put_u16(w, 0);
    put_u16(w, 0xFFFF);
    end_chunk(w);
    const float pivot[3] = {0, 0, 0};
    begin_chunk(w, 0xB013);
    put_floats(w, pivot, 3);
    end_chunk(w);
    const float position[3] = {m.positions[0], m.positions[1], m.positions[2]};
    const float rotation[4] = {0, 0, 0, 1};
    const float scale[3] = {1, 1, 1};
    put_track(w, 0xB020, position, 3);
    put_track(w, 0xB021, rotation, 4);
    put_track(w, 0xB022, scale, 3);
    end_chunk(w);
}

template <typename MakeMesh>
std::vector<uint8_t> make_scene(int object_count, MakeMesh make_mesh)
{
    ChunkWriter w;
    begin_chunk(&w, 0x4D4D);
    begin_chunk(&w, 0x0002);  // file version
    put_u32(&w, 3);
    end_chunk(&w);

    begin_chunk(&w, 0x3D3D);
    begin_chunk(&w, 0x3D3E);  // mesh version
    put_u32(&w, 3);
    end_chunk(&w);
    put_materials(&w);
    for (int i = 0; i < object_count; ++i) put_object(&w, i, make_mesh(i));
    begin_chunk(&w, 0x0100);  // master scale
    put_float(&w, 1.0f);
    end_chunk(&w);
    end_chunk(&w);

    begin_chunk(&w, 0xB000);
    begin_chunk(&w, 0xB00A);  // keyframer header: revision, file name, length
    put_u16(&w, 5);
    put_string(&w, "MAXSCENE");
    put_u32(&w, 100);
    end_chunk(&w);
    begin_chunk(&w, 0xB008);
    put_u32(&w, 0);
    put_u32(&w, 100);
    end_chunk(&w);
    for (int i = 0; i < object_count; ++i) put_mesh_node(&w, i, make_mesh(i));
    end_chunk(&w);

    end_chunk(&w);
    return w.bytes;
}

}  // namespace

std::vector<uint8_t> make_small_objects_scene(int object_count)
{
    return make_scene(object_count, [](int i) { return cube_mesh((float)(i % 200) * 2, (float)(i / 200) * 2, 0); });
}

std::vector<uint8_t> make_dense_objects_scene(int object_count, int face_count)
{
    return make_scene(object_count, [face_count](int i) { return grid_mesh(face_count, (float)i); });
}

namespace {

bool has_3ds_extension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    for (char& ch : extension) ch = (char)tolower((unsigned char)ch);
    return extension == ".3ds";
}

}  // namespace

void add_corpus_cases(const char* folder, std::vector<BenchCase>* cases)
{
    std::error_code ec;
    if (!folder || !std::filesystem::is_directory(folder, ec)) {
        printf("corpus folder %s absent: skipped\n", folder ? folder : "(none given)");
        return;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file() && has_3ds_extension(entry.path())) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        cases->push_back(BenchCase{path.filename().string(), std::move(bytes), -1});
    }
}
