// The scene's lists: growth by doubling, growth and allocation failures
// with their texts, fresh records, and the release.
#include <gtest/gtest.h>
#include <string.h>

#include "test_support.h"

namespace {

std::vector<uint8_t> five_of_each()
{
    return test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            put_material(w, name);
            put_mesh_object(w, name, {{1, 2, 3}}, {{0, 0, 0, 0}});
            put_light_object(w, name, {1, 2, 3});
            put_camera_object(w, name, {1, 2, 3}, {4, 5, 6}, 0, 50);
        }
        end_chunk(w);
    });
}

// The 1st, 2nd, 3rd and 5th additions to a list find its array full (0, 1,
// 2 and 4 records) and grow it to these capacities; the 4th fits.
const size_t GROWN_CAPACITIES[] = {1, 2, 4, 8};

TEST(SceneLists, ArraysGrowByDoublingWhenFull)
{
    Loaded loaded = load_memory(five_of_each());
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    // Material, mesh, light, camera, at each growth.
    std::vector<size_t> expected;
    for (size_t capacity : GROWN_CAPACITIES)
        for (size_t size : {sizeof(Material), sizeof(Mesh), sizeof(Light), sizeof(Camera)})
            expected.push_back(capacity * size);
    EXPECT_EQ(g_realloc_sizes, expected);
    const Scene& s = *loaded.scene;
    ASSERT_EQ(s.mesh_count, 5);
    ASSERT_EQ(s.light_count, 5);
    ASSERT_EQ(s.camera_count, 5);
    ASSERT_EQ(s.material_count, 5);
    for (int i = 0; i < 5; ++i) {
        const char name[2] = {(char)('a' + i), 0};
        EXPECT_STREQ(s.meshes[i].name, name);
        EXPECT_STREQ(s.materials[i].name, name);
        EXPECT_STREQ(s.lights[i].name, name);
        EXPECT_STREQ(s.cameras[i].name, name);
        EXPECT_EQ(s.meshes[i].vertex_count, 1);
        EXPECT_EQ(s.cameras[i].lens, 50.0f);
    }
}

TEST(SceneLists, GrowthFailureNamesTheListAndTheSizeAsked)
{
    struct Case {
        int failing_call;  // which realloc fails (see the order above)
        std::string text;
    };
    const Case cases[] = {
        {1, "Error reallocating memory for material list (" + std::to_string(sizeof(Material)) + " bytes)."},
        {6, "Error reallocating memory for object list (" + std::to_string(2 * sizeof(Mesh)) + " bytes)."},
        {11, "Error reallocating memory for light list (" + std::to_string(4 * sizeof(Light)) + " bytes)."},
        {16, "Error reallocating memory for camera list (" + std::to_string(8 * sizeof(Camera)) + " bytes)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing_call);
        fail_realloc_call(c.failing_call);
        Loaded loaded = load_memory(five_of_each());
        EXPECT_EQ(loaded.scene, nullptr);
        EXPECT_EQ(loaded.error, c.text);
        // Whatever the partial scene held is released (LeakSanitizer checks).
    }
}

TEST(SceneLists, ArrayAllocationFailureIsReportedWithItsSize)
{
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        put_mesh_object(w, "m", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2, 0}, {2, 1, 0, 0}});
        end_chunk(w);
        begin_chunk(w, CHUNK_KEYFRAMER);
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_header(w, "m", 0, 0, NO_PARENT);
        begin_track(w, CHUNK_ROTATION_TRACK, 0, 2);
        for (int i = 0; i < 2; ++i) {
            put_key_head(w, 0, 0);
            const float v[4] = {1, 0, 0, 1};
            put_floats(w, v, 4);
        }
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
    });
    // calloc calls: the Scene record, vertices, faces, the mesh name index,
    // the rotation keys.
    struct Case {
        int failing_call;
        size_t size;
    };
    const Case cases[] = {{2, 3 * sizeof(Vertex)}, {3, 2 * sizeof(Face)}, {5, 2 * sizeof(RotationKey)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing_call);
        fail_calloc_call(c.failing_call);
        Loaded loaded = load_memory(image);
        EXPECT_EQ(loaded.scene, nullptr);
        EXPECT_EQ(loaded.error, "Failed to allocate memory (" + std::to_string(c.size) + " bytes).");
    }
    Loaded whole = load_memory(image);
    ASSERT_NE(whole.scene, nullptr) << whole.error;
    EXPECT_EQ(g_calloc_sizes.size(), 5u);
}

TEST(SceneLists, FreshRecordsAreZero)
{
    // Four of each: the first record lands in a new array, the fourth in
    // the spare room of a doubled one.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        for (int i = 0; i < 4; ++i) {
            begin_named_object(w, "");
            begin_chunk(w, CHUNK_TRIANGLE_MESH);
            end_chunk(w);
            end_chunk(w);
            begin_chunk(w, CHUNK_MATERIAL);
            end_chunk(w);
        }
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    ASSERT_EQ(loaded.scene->mesh_count, 4);
    ASSERT_EQ(loaded.scene->material_count, 4);
    // Every byte of a mesh is zero but has_children, which the parent
    // pass sets for a mesh that no node reached (node 0 is its own parent),
    // and the object matrix, composed from the all-zero frame: all zero too.
    // A material holds the defaults of its properties.
    Mesh expected;
    memset(&expected, 0, sizeof expected);
    expected.has_children = 1;
    Material no_material = default_material();
    for (int i : {0, 3}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(memcmp(&loaded.scene->meshes[i], &expected, sizeof expected), 0);
        EXPECT_EQ(memcmp(&loaded.scene->materials[i], &no_material, sizeof no_material), 0);
    }
    EXPECT_EQ(loaded.scene->first_frame, 0);
    EXPECT_EQ(loaded.scene->last_frame, 0);
}

TEST(SceneLists, FreeSceneAcceptsNull) { free_scene(nullptr); }

}  // namespace
