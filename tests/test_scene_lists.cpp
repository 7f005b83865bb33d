// The scene's lists: growth one record at a time, growth and allocation
// failures with their texts, fresh records, and the release.
#include <gtest/gtest.h>
#include <string.h>

#include "test_support.h"

namespace {

std::vector<uint8_t> three_of_each()
{
    return main_chunk([](ChunkWriter* w) {
        begin_chunk(w, 0x3D3D);
        for (const char* name : {"a", "b", "c"}) {
            put_material(w, name);
            put_mesh_object(w, name, {{1, 2, 3}}, {{0, 0, 0, 0}});
            put_light_object(w, name, {1, 2, 3});
            put_camera_object(w, name, {1, 2, 3}, {4, 5, 6}, 0, 50);
        }
        end_chunk(w);
    });
}

TEST(SceneLists, EachGrowthAsksForExactlyTheRecordsItHolds)
{
    Loaded loaded = load_memory(three_of_each());
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    // Material, mesh, light, camera, three times over.
    std::vector<size_t> expected;
    for (size_t n = 1; n <= 3; ++n)
        for (size_t size : {sizeof(Material), sizeof(Mesh), sizeof(Light), sizeof(Camera)})
            expected.push_back(n * size);
    EXPECT_EQ(g_realloc_sizes, expected);
    EXPECT_EQ(loaded.scene->mesh_count, 3);
    EXPECT_EQ(loaded.scene->light_count, 3);
    EXPECT_EQ(loaded.scene->camera_count, 3);
    EXPECT_EQ(loaded.scene->material_count, 3);
    EXPECT_STREQ(loaded.scene->meshes[2].name, "c");
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
        {11, "Error reallocating memory for light list (" + std::to_string(3 * sizeof(Light)) + " bytes)."},
        {12, "Error reallocating memory for camera list (" + std::to_string(3 * sizeof(Camera)) + " bytes)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing_call);
        fail_realloc_call(c.failing_call);
        Loaded loaded = load_memory(three_of_each());
        EXPECT_EQ(loaded.scene, nullptr);
        EXPECT_EQ(loaded.error, c.text);
        // Whatever the partial scene held is released (LeakSanitizer checks).
    }
}

TEST(SceneLists, ArrayAllocationFailureIsReportedWithItsSize)
{
    std::vector<uint8_t> image = main_chunk([](ChunkWriter* w) {
        begin_chunk(w, 0x3D3D);
        put_mesh_object(w, "m", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2, 0}, {2, 1, 0, 0}});
        end_chunk(w);
        begin_chunk(w, 0xB000);
        begin_chunk(w, 0xB002);
        put_node_header(w, "m", 0, 0, 0xFFFF);
        begin_track(w, 0xB021, 0, 2);
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
    std::vector<uint8_t> image = main_chunk([](ChunkWriter* w) {
        begin_chunk(w, 0x3D3D);
        begin_named_object(w, "");
        begin_chunk(w, 0x4100);
        end_chunk(w);
        end_chunk(w);
        begin_chunk(w, 0xAFFF);
        end_chunk(w);
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    ASSERT_EQ(loaded.scene->mesh_count, 1);
    ASSERT_EQ(loaded.scene->material_count, 1);
    EXPECT_STREQ(loaded.scene->materials[0].name, "");
    // Every byte of the mesh is zero but has_children, which the parent
    // pass sets for a mesh that no node reached (node 0 is its own parent),
    // and the object matrix, composed from the all-zero frame: all zero too.
    Mesh expected;
    memset(&expected, 0, sizeof expected);
    expected.has_children = 1;
    EXPECT_EQ(memcmp(&loaded.scene->meshes[0], &expected, sizeof expected), 0);
    EXPECT_EQ(loaded.scene->first_frame, 0);
    EXPECT_EQ(loaded.scene->last_frame, 0);
}

TEST(SceneLists, FreeSceneAcceptsNull) { free_scene(nullptr); }

}  // namespace
