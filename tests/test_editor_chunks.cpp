// The editor section: meshes with their vertex lists, faces, map
// coordinates, face materials, smoothing, frames and texture info; lights,
// cameras and materials with the properties drawing needs.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <functional>
#include <limits>
#include <string>

#include "reader_internal.h"
#include "test_support.h"

namespace {

// A stream with an editor section holding what `body` writes.
template <typename Body>
std::vector<uint8_t> editor(Body body)
{
    return test_stream([&](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        body(w);
        end_chunk(w);
    });
}

// An editor section with one mesh "m" whose children `body` writes.
template <typename Body>
std::vector<uint8_t> one_mesh(Body body)
{
    return editor([&](ChunkWriter* w) {
        begin_named_object(w, "m");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        body(w);
        end_chunk(w);
        end_chunk(w);
    });
}

const std::initializer_list<Vec3> TRIANGLE = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

TEST(EditorMesh, VerticesAndFacesAreStoredAsRead)
{
    Loaded loaded = load_memory(one_mesh([](ChunkWriter* w) {
        put_vertex_list(w, {{1.5f, -2, 3}, {4, 5, 6.25f}});
        begin_face_list(w, {{0, 1, 9, FACE_EDGES_VISIBLE}, {65535, 1, 0, 0x8000}});
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    ASSERT_EQ(m.vertex_count, 2);
    EXPECT_EQ(m.vertices[0].position.x, 1.5f);
    EXPECT_EQ(m.vertices[0].position.y, -2.0f);
    EXPECT_EQ(m.vertices[1].position.z, 6.25f);
    ASSERT_EQ(m.face_count, 2);
    // Indices are kept as stored, in range or not.
    EXPECT_EQ(m.faces[0].vertex[2], 9);
    EXPECT_EQ(m.faces[1].vertex[0], 65535);
    EXPECT_EQ(m.faces[0].flags, 7);
    EXPECT_EQ(m.faces[1].flags, 0x8000);
    EXPECT_EQ(m.faces[1].material, 0);
}

TEST(EditorMesh, ManyVerticesAndFacesCrossTheReadBlocks)
{
    ChunkWriter body;
    begin_chunk(&body, CHUNK_VERTEX_LIST);
    put_u16(&body, 1000);
    for (int i = 0; i < 1000; ++i) {
        put_float(&body, (float)i);
        put_float(&body, (float)-i);
        put_float(&body, 0.5f * i);
    }
    end_chunk(&body);
    begin_chunk(&body, CHUNK_FACE_LIST);
    put_u16(&body, 700);
    for (int i = 0; i < 700; ++i) {
        put_u16(&body, (uint16_t)i);
        put_u16(&body, (uint16_t)(i + 1));
        put_u16(&body, (uint16_t)(i + 2));
        put_u16(&body, (uint16_t)(i * 3));
    }
    end_chunk(&body);
    Loaded loaded = load_memory(one_mesh([&](ChunkWriter* w) { put_bytes(w, body.bytes.data(), body.bytes.size()); }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    ASSERT_EQ(m.vertex_count, 1000);
    ASSERT_EQ(m.face_count, 700);
    for (int i : {0, 255, 256, 511, 999}) {
        EXPECT_EQ(m.vertices[i].position.x, (float)i);
        EXPECT_EQ(m.vertices[i].position.y, (float)-i);
        EXPECT_EQ(m.vertices[i].position.z, 0.5f * i);
    }
    for (int i : {0, 255, 256, 699}) {
        EXPECT_EQ(m.faces[i].vertex[0], i);
        EXPECT_EQ(m.faces[i].vertex[2], i + 2);
        EXPECT_EQ(m.faces[i].flags, (uint16_t)(i * 3));
    }
}

TEST(EditorMesh, MapCoordinatesOutsideTheirRangeBecomeZero)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float stored, kept;
    };
    const Case cases[] = {{100.0f, 100.0f}, {-100.0f, -100.0f}, {0.25f, 0.25f}, {100.5f, 0.0f},
                          {-250.0f, 0.0f},  {inf, 0.0f},        {-inf, 0.0f},   {nan, 0.0f}};
    const size_t n = sizeof cases / sizeof cases[0];
    Loaded loaded = load_memory(one_mesh([&](ChunkWriter* w) {
        begin_chunk(w, CHUNK_VERTEX_LIST);
        put_u16(w, (uint16_t)n);
        for (size_t i = 0; i < 3 * n; ++i) put_float(w, 1);
        end_chunk(w);
        begin_chunk(w, CHUNK_MAP_COORDS);
        put_u16(w, (uint16_t)n);
        // Each case once as u (with v fine) and once as v.
        for (size_t i = 0; i < n; ++i) {
            put_float(w, cases[i].stored);
            put_float(w, cases[n - 1 - i].stored);
        }
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m.vertices[i].u, cases[i].kept);
        EXPECT_EQ(m.vertices[i].v, cases[n - 1 - i].kept);
    }
}

TEST(EditorMesh, MapCoordinateCountMustMatchTheVertexCount)
{
    auto with_map = [](bool vertices_first, uint16_t map_count) {
        return one_mesh([=](ChunkWriter* w) {
            if (vertices_first) put_vertex_list(w, TRIANGLE);
            put_map_coords(w, std::vector<float>(2 * map_count, 0.5f));
            if (!vertices_first) put_vertex_list(w, TRIANGLE);
        });
    };
    Loaded fewer = load_memory(with_map(true, 2));
    EXPECT_EQ(fewer.scene, nullptr);
    EXPECT_EQ(fewer.error, "Bad number of map coordinates [m].");
    Loaded before = load_memory(with_map(false, 3));
    EXPECT_EQ(before.scene, nullptr);
    EXPECT_EQ(before.error, "Bad number of map coordinates [m].");
    Loaded empty_before = load_memory(with_map(false, 0));
    ASSERT_NE(empty_before.scene, nullptr) << empty_before.error;
    EXPECT_EQ(empty_before.scene->meshes[0].vertex_count, 3);
    Loaded matching = load_memory(with_map(true, 3));
    ASSERT_NE(matching.scene, nullptr) << matching.error;
    EXPECT_EQ(matching.scene->meshes[0].vertices[2].v, 0.5f);
}

TEST(EditorMesh, FaceMaterialGroupsFindTheFirstMaterialOfThatNameReadSoFar)
{
    Loaded loaded = load_memory(editor([](ChunkWriter* w) {
        put_material(w, "Zero");
        put_material(w, "Steel");
        put_material(w, "steel");
        put_material(w, "Steel");  // a duplicate: the first keeps the name
        begin_named_object(w, "m");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        put_vertex_list(w, TRIANGLE);
        begin_face_list(w, {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}});
        put_material_group(w, "Zero", {0, 1, 2, 3, 4});
        put_material_group(w, "Steel", {1});
        put_material_group(w, "steel", {2});
        put_material_group(w, "Later", {3});         // defined after this mesh
        put_material_group(w, "Nowhere", {4});       // defined nowhere
        put_material_group(w, "Steel", {5, 60000});  // past the faces: face 0
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
        put_material(w, "Later");
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    EXPECT_EQ(m.faces[0].material, 1);
    EXPECT_EQ(m.faces[1].material, 1);
    EXPECT_EQ(m.faces[2].material, 2);
    EXPECT_EQ(m.faces[3].material, 0);
    EXPECT_EQ(m.faces[4].material, 0);
    EXPECT_EQ(loaded.scene->material_count, 5);
}

TEST(EditorMesh, FaceMaterialGroupsMatchWholeNamesLongerThanTheRecordKeeps)
{
    // Names that share their first 19 characters, the record's share, and
    // two far longer ones that differ only in their last character.
    const std::string long_a = std::string(70, 'x') + "a", long_b = std::string(70, 'x') + "b";
    const char* names[] = {"default_mat_6.1_3_2", "default_mat_6.1_3_2_2", long_a.c_str(), long_b.c_str()};
    Loaded loaded = load_memory(editor([&](ChunkWriter* w) {
        put_material(w, "Zero");
        for (const char* name : names) put_material(w, name);
        begin_named_object(w, "m");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        put_vertex_list(w, TRIANGLE);
        begin_face_list(w, {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}});
        for (uint16_t i = 4; i-- > 0;) put_material_group(w, names[i], {i});
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    for (uint16_t i = 0; i < 4; ++i) EXPECT_EQ(loaded.scene->meshes[0].faces[i].material, i + 1) << names[i];
    EXPECT_STREQ(loaded.scene->materials[2].name, "default_mat_6.1_3_2");
    EXPECT_EQ(std::string(loaded.scene->materials[4].name), std::string(19, 'x'));
}

TEST(EditorMesh, FaceMaterialGroupWithoutFacesIsIgnored)
{
    // No face list, and an empty one: there is no face 0 to fall back on.
    for (bool empty_list : {false, true}) {
        Loaded loaded = load_memory(editor([&](ChunkWriter* w) {
            put_material(w, "A");
            begin_named_object(w, "m");
            begin_chunk(w, CHUNK_TRIANGLE_MESH);
            put_vertex_list(w, TRIANGLE);
            if (empty_list) {
                begin_face_list(w, {});
                end_chunk(w);
            }
            put_material_group(w, "A", {0, 3, 65535});
            put_u8_chunk(w, CHUNK_MESH_COLOR, 4);
            end_chunk(w);
            end_chunk(w);
        }));
        ASSERT_NE(loaded.scene, nullptr) << loaded.error;
        EXPECT_EQ(loaded.scene->meshes[0].face_count, 0);
        EXPECT_EQ(loaded.scene->meshes[0].color, 4);
    }
}

TEST(EditorMesh, SmoothingGroupsFillFacesUpToTheChunkOrTheFaceCount)
{
    auto with_smoothing = [](int values) {
        return one_mesh([=](ChunkWriter* w) {
            put_vertex_list(w, TRIANGLE);
            begin_face_list(w, {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}});
            begin_chunk(w, CHUNK_SMOOTHING_GROUPS);
            for (int i = 0; i < values; ++i) put_u32(w, 0x80000001u << i);
            end_chunk(w);
            end_chunk(w);
            put_u8_chunk(w, CHUNK_MESH_COLOR, 7);
        });
    };
    Loaded shorter = load_memory(with_smoothing(2));
    ASSERT_NE(shorter.scene, nullptr) << shorter.error;
    EXPECT_EQ(shorter.scene->meshes[0].faces[0].smoothing, 0x80000001u);
    EXPECT_EQ(shorter.scene->meshes[0].faces[1].smoothing, 2u);
    EXPECT_EQ(shorter.scene->meshes[0].faces[2].smoothing, 0u);
    Loaded longer = load_memory(with_smoothing(5));
    ASSERT_NE(longer.scene, nullptr) << longer.error;
    EXPECT_EQ(longer.scene->meshes[0].faces[2].smoothing, 4u);
    EXPECT_EQ(longer.scene->meshes[0].color, 7);
}

TEST(EditorMesh, SmoothingValueStartedBeforeTheChunkEndIsReadWhole)
{
    // A body of 6 bytes: the second value starts inside the chunk and takes
    // its last two bytes from the next chunk's header (its id).
    Loaded loaded = load_memory(one_mesh([](ChunkWriter* w) {
        put_vertex_list(w, TRIANGLE);
        begin_face_list(w, {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}});
        begin_chunk(w, CHUNK_SMOOTHING_GROUPS);
        put_u32(w, 0x11111111u);
        put_u16(w, 0x2222);
        end_chunk(w);
        end_chunk(w);
        put_u8_chunk(w, CHUNK_MESH_COLOR, 1);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    EXPECT_EQ(m.faces[0].smoothing, 0x11111111u);
    EXPECT_EQ(m.faces[1].smoothing, (uint32_t)CHUNK_MESH_COLOR << 16 | 0x2222u);
    EXPECT_EQ(m.faces[2].smoothing, 0u);
    EXPECT_EQ(m.color, 1);
}

TEST(EditorMesh, FaceListSubChunksAreMetByTheMeshWalk)
{
    // The smoothing chunk sits inside the face list: a walk that sought to
    // the face list's end would never meet it.
    Loaded loaded = load_memory(one_mesh([](ChunkWriter* w) {
        put_vertex_list(w, TRIANGLE);
        begin_face_list(w, {{0, 1, 2, 0}, {2, 1, 0, 0}});
        put_smoothing_groups(w, {11, 22});
        end_chunk(w);
        put_u8_chunk(w, CHUNK_MESH_COLOR, 3);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    EXPECT_EQ(loaded.scene->meshes[0].faces[1].smoothing, 22u);
    EXPECT_EQ(loaded.scene->meshes[0].color, 3);
}

TEST(EditorMesh, SecondListsReplaceTheFirst)
{
    Loaded loaded = load_memory(one_mesh([](ChunkWriter* w) {
        put_vertex_list(w, TRIANGLE);
        begin_face_list(w, {{0, 1, 2, 1}, {0, 1, 2, 1}});
        end_chunk(w);
        put_vertex_list(w, {{9, 9, 9}});
        begin_face_list(w, {{0, 0, 0, 5}});
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    ASSERT_EQ(m.vertex_count, 1);
    EXPECT_EQ(m.vertices[0].position.x, 9.0f);
    ASSERT_EQ(m.face_count, 1);
    EXPECT_EQ(m.faces[0].flags, 5);
    // The first arrays were released when replaced (LeakSanitizer checks).
}

TEST(EditorMesh, LocalFrameAndTextureInfo)
{
    Loaded loaded = load_memory(one_mesh([](ChunkWriter* w) {
        put_local_matrix(w, {0, 1, 0, -1, 0, 0, 0, 0, 2, 10, 20, 30});
        begin_chunk(w, CHUNK_MESH_TEXTURE_INFO);
        put_u16(w, 1);
        put_float(w, 2.5f);
        put_float(w, -3);
        for (int i = 0; i < 76; ++i) put_u8(w, 0xEE);
        end_chunk(w);
        put_u8_chunk(w, CHUNK_MESH_COLOR, 200);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    const float expected[12] = {0, 1, 0, -1, 0, 0, 0, 0, 2, -20, 10, -60};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m.local_matrix[i], expected[i]) << i;
    EXPECT_EQ(m.origin.x, 10.0f);
    EXPECT_EQ(m.origin.z, 30.0f);
    EXPECT_EQ(m.map_tiling_x, 2.5f);
    EXPECT_EQ(m.map_tiling_y, -3.0f);
    EXPECT_EQ(m.color, 200);
}

TEST(EditorObjects, LightsCamerasAndSharedNames)
{
    Loaded loaded = load_memory(editor([](ChunkWriter* w) {
        begin_named_object(w, "both");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        put_vertex_list(w, TRIANGLE);
        end_chunk(w);
        begin_chunk(w, CHUNK_LIGHT);
        put_float(w, 1);
        put_float(w, 2);
        put_float(w, 3);
        put_floats_chunk(w, CHUNK_COLOR_FLOAT, {0.25f, 0.5f, 1});
        end_chunk(w);
        end_chunk(w);
        // A light with only a 24-bit colour keeps (0, 0, 0).
        begin_light_object(w, "dim", {0, 0, 0});
        begin_chunk(w, CHUNK_COLOR_24);
        put_u8(w, 255);
        put_u8(w, 255);
        put_u8(w, 255);
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
        put_camera_object(w, "eye", {1, 2, 3}, {4, 5, 6}, 7.5f, 35);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Scene& s = *loaded.scene;
    ASSERT_EQ(s.mesh_count, 1);
    ASSERT_EQ(s.light_count, 2);
    ASSERT_EQ(s.camera_count, 1);
    EXPECT_STREQ(s.meshes[0].name, "both");
    EXPECT_STREQ(s.lights[0].name, "both");
    EXPECT_EQ(s.lights[0].position.y, 2.0f);
    EXPECT_EQ(s.lights[0].color[0], 0.25f);
    EXPECT_EQ(s.lights[0].color[2], 1.0f);
    EXPECT_EQ(s.lights[1].color[0], 0.0f);
    const Camera& c = s.cameras[0];
    EXPECT_STREQ(c.name, "eye");
    EXPECT_EQ(c.position.x, 1.0f);
    EXPECT_EQ(c.position.z, 3.0f);
    EXPECT_EQ(c.target.x, 4.0f);
    EXPECT_EQ(c.target.z, 6.0f);
    EXPECT_EQ(c.bank, 7.5f);
    EXPECT_EQ(c.lens, 35.0f);
}

void set_rgb(float* rgb, float r, float g, float b)
{
    rgb[0] = r;
    rgb[1] = g;
    rgb[2] = b;
}

TEST(EditorMaterial, PropertiesAreReadWithTheirRules)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string long_name = std::string(63, 'a') + "bcdefg.png";
    struct Case {
        const char* what;
        std::function<void(ChunkWriter*)> chunks;  // the material's property chunks
        std::function<void(Material*)> change;     // from the defaults
    };
    const Case cases[] = {
        {"no property chunks", [](ChunkWriter*) {}, [](Material*) {}},
        {"each colour form",
         [](ChunkWriter* w) {
             put_color_property(w, CHUNK_MATERIAL_AMBIENT, CHUNK_COLOR_24, 0.2f, 0.4f, 1);
             put_color_property(w, CHUNK_MATERIAL_DIFFUSE, CHUNK_COLOR_FLOAT, 0.25f, 0.5f, 0.75f);
             put_color_property(w, CHUNK_MATERIAL_SPECULAR, CHUNK_LINEAR_COLOR_24, 0, 0.6f, 0.8f);
         },
         [](Material* m) {
             set_rgb(m->ambient, 51 / 255.0f, 102 / 255.0f, 1);
             set_rgb(m->diffuse, 0.25f, 0.5f, 0.75f);
             set_rgb(m->specular, 0, 153 / 255.0f, 204 / 255.0f);
         }},
        {"plain wins over gamma-corrected, the first of a form wins",
         [](ChunkWriter* w) {
             begin_chunk(w, CHUNK_MATERIAL_AMBIENT);  // corrected first, then plain
             put_color_chunk(w, CHUNK_LINEAR_COLOR_FLOAT, 0.5f, 0.5f, 0.5f);
             put_color_chunk(w, CHUNK_COLOR_24, 0, 0, 0.2f);
             end_chunk(w);
             begin_chunk(w, CHUNK_MATERIAL_DIFFUSE);  // plain, then corrected, then plain
             put_color_chunk(w, CHUNK_COLOR_FLOAT, 0.125f, 0, 1);
             put_color_chunk(w, CHUNK_LINEAR_COLOR_24, 1, 1, 1);
             put_color_chunk(w, CHUNK_COLOR_24, 1, 1, 1);
             end_chunk(w);
             begin_chunk(w, CHUNK_MATERIAL_SPECULAR);  // two corrected: the first
             put_color_chunk(w, CHUNK_LINEAR_COLOR_FLOAT, 0.5f, 0.25f, 0);
             put_color_chunk(w, CHUNK_LINEAR_COLOR_24, 1, 1, 1);
             end_chunk(w);
         },
         [](Material* m) {
             set_rgb(m->ambient, 0, 0, 51 / 255.0f);
             set_rgb(m->diffuse, 0.125f, 0, 1);
             set_rgb(m->specular, 0.5f, 0.25f, 0);
         }},
        {"percent forms and two-sided",
         [](ChunkWriter* w) {
             put_percent_property(w, CHUNK_MATERIAL_SHININESS, 25);
             put_percent_float_property(w, CHUNK_MATERIAL_SHININESS_STRENGTH, 40);
             put_percent_property(w, CHUNK_MATERIAL_TRANSPARENCY, 100);
             put_two_sided(w);
         },
         [](Material* m) {
             m->shininess = 0.25f;
             m->shininess_strength = 0.4f;
             m->transparency = 1;
             m->two_sided = 1;
         }},
        {"out of range clamped, not a number keeps the default",
         [&](ChunkWriter* w) {
             put_color_property(w, CHUNK_MATERIAL_DIFFUSE, CHUNK_COLOR_FLOAT, -1, 2, nan);
             put_percent_float_property(w, CHUNK_MATERIAL_SHININESS, nan);
             put_percent_property(w, CHUNK_MATERIAL_SHININESS_STRENGTH, 150);
             put_percent_property(w, CHUNK_MATERIAL_TRANSPARENCY, (uint16_t)-5);
             put_texture_map(w, CHUNK_MATERIAL_TEXTURE_MAP, "", nan, inf, -inf, 1e30f);
         },
         [](Material* m) {
             set_rgb(m->diffuse, 0, 1, MATERIAL_DEFAULT_DIFFUSE);
             m->shininess_strength = 1;
             m->texture_offset[1] = 1e30f;
         }},
        {"first texture map only",
         [](ChunkWriter* w) {
             put_texture_map(w, CHUNK_MATERIAL_TEXTURE_2, "TWO.JPG", 5, 5, 5, 5);
             put_texture_map(w, CHUNK_MATERIAL_TEXTURE_MAP, "WOOD.JPG", 2, 3, 0.5f, -0.25f);
             put_texture_map(w, CHUNK_MATERIAL_TEXTURE_MAP, "AGAIN.JPG", 4, 4, 4, 4);
         },
         [](Material* m) {
             strcpy(m->texture_file, "WOOD.JPG");
             m->texture_scale[0] = 2;
             m->texture_scale[1] = 3;
             m->texture_offset[0] = 0.5f;
             m->texture_offset[1] = -0.25f;
         }},
        {"a texture name over 63 characters keeps its first 63",
         [&](ChunkWriter* w) { put_texture_map(w, CHUNK_MATERIAL_TEXTURE_MAP, long_name.c_str(), 1, 1, 0, 0.5f); },
         [&](Material* m) {
             memcpy(m->texture_file, long_name.c_str(), 63);
             m->texture_offset[1] = 0.5f;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded loaded = load_memory(editor([&](ChunkWriter* w) {
            begin_material(w, "M");
            c.chunks(w);
            end_chunk(w);
        }));
        ASSERT_NE(loaded.scene, nullptr) << loaded.error;
        ASSERT_EQ(loaded.scene->material_count, 1);
        // Every byte: the record is zero-filled, so its padding and the
        // bytes after the texture name's NUL compare equal too.
        Material want = default_material();
        strcpy(want.name, "M");
        c.change(&want);
        EXPECT_EQ(memcmp(&loaded.scene->materials[0], &want, sizeof want), 0);
    }
}

// The outcome of a load with material properties walked over unread.
Loaded load_ignoring_material_properties(const std::vector<uint8_t>& bytes, bool file)
{
    g_ignore_material_properties = true;
    Loaded loaded = file ? load_file(bytes) : load_memory(bytes);
    g_ignore_material_properties = false;
    return loaded;
}

TEST(EditorMaterial, DamagedPropertyKeepsItsDefaultAndNeverChangesTheOutcome)
{
    // Each damaged property is followed by a sound transparency of 50, so
    // the material's walk is seen to go on past it. A stream is tried whole
    // and cut just after the damage, by both byte sources.
    // A property chunk holding one sub-chunk whose header declares length,
    // then the bytes given (its body as stored, and what follows it in the
    // property).
    struct Case {
        const char* what;
        uint16_t property, sub;
        uint32_t length;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"colour length below its header", CHUNK_MATERIAL_DIFFUSE, CHUNK_COLOR_24, 2, {0x10, 0x20, 0x30}},
        {"colour length past its parent", CHUNK_MATERIAL_DIFFUSE, CHUNK_COLOR_24, 9 + 1000, {0x10, 0x20, 0x30}},
        {"colour body shorter than its value",
         CHUNK_MATERIAL_SPECULAR,
         CHUNK_COLOR_FLOAT,
         6 + 8,
         {0, 0, 0, 63, 0, 0, 0, 63}},
        {"percentage body shorter than its value", CHUNK_MATERIAL_SHININESS, CHUNK_PERCENT_INT, 6 + 1, {40}},
        // A sound u scale of 2 after the name: the damaged map keeps it too.
        {"texture name without its end inside its chunk",
         CHUNK_MATERIAL_TEXTURE_MAP,
         CHUNK_MAP_FILE_NAME,
         6 + 4,
         {'W', 'O', 'O', 'D', 0x54, 0xA3, 10, 0, 0, 0, 0, 0, 0, 0x40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        size_t cut = 0;
        std::vector<uint8_t> whole = editor([&](ChunkWriter* w) {
            begin_material(w, "M");
            begin_chunk(w, c.property);
            put_chunk_header(w, c.sub, c.length);
            put_bytes(w, c.bytes.data(), c.bytes.size());
            end_chunk(w);
            cut = w->bytes.size();
            put_percent_property(w, CHUNK_MATERIAL_TRANSPARENCY, 50);
            end_chunk(w);
        });
        std::vector<uint8_t> cut_short(whole.begin(), whole.begin() + (long)cut);
        for (const std::vector<uint8_t>* bytes : {&whole, &cut_short}) {
            for (bool file : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << (bytes == &whole ? "whole" : "cut short") << ", " << (file ? "file" : "memory"));
                Loaded loaded = file ? load_file(*bytes) : load_memory(*bytes);
                Loaded unread = load_ignoring_material_properties(*bytes, file);
                EXPECT_EQ(loaded.scene != nullptr, unread.scene != nullptr);
                EXPECT_EQ(loaded.error, unread.error);
            }
        }
        Loaded loaded = load_memory(whole);
        ASSERT_NE(loaded.scene, nullptr) << loaded.error;
        Material want = default_material();
        strcpy(want.name, "M");
        want.transparency = 0.5f;
        EXPECT_EQ(memcmp(&loaded.scene->materials[0], &want, sizeof want), 0);
    }
}

}  // namespace
