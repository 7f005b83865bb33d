// bench_scenes.cpp - the cases of the reader's benchmarks: corpus files, and
// synthetic 3DS scenes written in the chunk order that modelling programs
// use.
#include "bench_scenes.h"

#include <ctype.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "write_3ds.h"

namespace {

const int MATERIAL_COUNT = 8;

struct MeshData {
    std::vector<Vec3> positions;
    std::vector<FaceSpec> faces;
};

// Adds faces with all edges visible from a, b, c corner triples.
void add_faces(MeshData* m, const uint16_t* corners, size_t count)
{
    for (size_t i = 0; i + 2 < count; i += 3)
        m->faces.push_back({corners[i], corners[i + 1], corners[i + 2], FACE_EDGES_VISIBLE});
}

MeshData cube_mesh(float x, float y, float z)
{
    MeshData m;
    for (int i = 0; i < 8; ++i)
        m.positions.push_back({x + (float)(i & 1), y + (float)((i >> 1) & 1), z + (float)((i >> 2) & 1)});
    static const uint16_t faces[36] = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                                       2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    add_faces(&m, faces, 36);
    return m;
}

// A flat grid 100 quads wide, two faces per quad, cut off at face_count.
MeshData grid_mesh(int face_count, float z)
{
    const int columns = 100;
    const int rows = (face_count / 2 + columns - 1) / columns;
    MeshData m;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) m.positions.push_back({(float)c, (float)r, z});
    for (int q = 0; q < face_count / 2; ++q) {
        uint16_t a = (uint16_t)(q / columns * (columns + 1) + q % columns);
        uint16_t b = (uint16_t)(a + 1), c = (uint16_t)(a + columns + 1), d = (uint16_t)(c + 1);
        const uint16_t two[6] = {a, b, d, a, d, c};
        add_faces(&m, two, 6);
    }
    return m;
}

void material_name(char* text, int index) { snprintf(text, 16, "material_%d", index); }
void object_name(char* text, int index) { snprintf(text, 16, "obj%05d", index); }

// A named object with a triangle mesh: vertices, local frame, faces with one
// material group covering them all and one smoothing group per face.
void put_object(ChunkWriter* w, int index, const MeshData& m)
{
    char name[16], material[16];
    object_name(name, index);
    material_name(material, index % MATERIAL_COUNT);
    const Vec3& o = m.positions[0];
    uint16_t face_count = (uint16_t)m.faces.size();

    begin_named_object(w, name);
    begin_chunk(w, CHUNK_TRIANGLE_MESH);
    put_vertex_list(w, m.positions);
    put_local_matrix(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, o.x, o.y, o.z});
    begin_face_list(w, m.faces);
    put_material_group(w, material, face_range(0, face_count));
    put_smoothing_groups(w, std::vector<uint32_t>(face_count, 1));
    end_chunk(w);  // face list
    end_chunk(w);  // triangle mesh
    end_chunk(w);  // named object
}

template <typename MakeMesh>
std::vector<uint8_t> make_scene(int object_count, MakeMesh make_mesh)
{
    return main_chunk([&](ChunkWriter* w) {
        put_u32_chunk(w, CHUNK_FILE_VERSION, 3);

        begin_chunk(w, CHUNK_EDITOR);
        put_u32_chunk(w, CHUNK_MESH_VERSION, 3);
        for (int i = 0; i < MATERIAL_COUNT; ++i) {
            char name[16];
            material_name(name, i);
            put_material(w, name);
        }
        for (int i = 0; i < object_count; ++i) put_object(w, i, make_mesh(i));
        put_floats_chunk(w, CHUNK_MASTER_SCALE, {1.0f});
        end_chunk(w);

        // One node per object, holding it still at its first vertex.
        begin_chunk(w, CHUNK_KEYFRAMER);
        put_keyframer_header(w, 5, "MAXSCENE", 100);
        put_segment(w, 0, 100);
        for (int i = 0; i < object_count; ++i) {
            char name[16];
            object_name(name, i);
            put_still_object_node(w, (uint16_t)i, name, make_mesh(i).positions[0]);
        }
        end_chunk(w);
    });
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
