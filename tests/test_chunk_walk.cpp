// The chunk walk: skipping, absolute seeks, children that run past their
// parent, read_string's limits, and chunk lengths that would stall a walk.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// A chunk that no walk handles, holding bytes that would fail the load if
// anything read them as chunks or fields.
void put_poison_chunk(ChunkWriter* w, uint16_t id)
{
    begin_chunk(w, id);
    begin_chunk(w, CHUNK_NAMED_OBJECT);  // looks like a named object with a broken child
    put_string(w, "evil");
    put_chunk_header(w, CHUNK_TRIANGLE_MESH, 0xFFFFFF00u);
    end_chunk(w);
    end_chunk(w);
}

TEST(ChunkWalk, UnhandledChunksAreSkippedWithTheirSubChunksAtEveryLevel)
{
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        put_poison_chunk(w, CHUNK_FILE_VERSION);
        begin_chunk(w, CHUNK_EDITOR);
        put_poison_chunk(w, CHUNK_MESH_VERSION);
        begin_chunk(w, CHUNK_MATERIAL);
        put_poison_chunk(w, CHUNK_MATERIAL_AMBIENT);
        put_string_chunk(w, CHUNK_MATERIAL_NAME, "steel");
        end_chunk(w);
        begin_named_object(w, "obj");
        put_poison_chunk(w, CHUNK_OBJECT_HIDDEN);
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        put_poison_chunk(w, CHUNK_VERTEX_FLAGS);
        put_vertex_list(w, {{1, 2, 3}});
        end_chunk(w);
        begin_chunk(w, CHUNK_LIGHT);
        put_float(w, 1);
        put_float(w, 2);
        put_float(w, 3);
        put_poison_chunk(w, CHUNK_COLOR_24);
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
        begin_chunk(w, CHUNK_KEYFRAMER);
        put_poison_chunk(w, CHUNK_KEYFRAMER_HEADER);
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_poison_chunk(w, CHUNK_INSTANCE_NAME);
        put_node_header(w, "obj", 1, 2, 3);
        end_chunk(w);
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Scene& s = *loaded.scene;
    ASSERT_EQ(s.mesh_count, 1);
    ASSERT_EQ(s.light_count, 1);
    ASSERT_EQ(s.material_count, 1);
    EXPECT_STREQ(s.materials[0].name, "steel");
    EXPECT_EQ(s.meshes[0].vertex_count, 1);
    EXPECT_EQ(s.meshes[0].parent_id, 3);
    EXPECT_EQ(s.lights[0].position.z, 3.0f);
}

TEST(ChunkWalk, HandlerThatReadsLessIsPutBackInStepBySeek)
{
    // A vertex list chunk with trailing bytes, a camera with sub-chunks.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        begin_named_object(w, "m");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        begin_chunk(w, CHUNK_VERTEX_LIST);
        put_u16(w, 1);
        put_float(w, 1);
        put_float(w, 2);
        put_float(w, 3);
        put_u32(w, 0xFFFFFFFF);
        end_chunk(w);
        put_u8_chunk(w, CHUNK_MESH_COLOR, 9);
        end_chunk(w);
        end_chunk(w);
        begin_named_object(w, "cam");
        begin_chunk(w, CHUNK_CAMERA);
        const float body[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        put_floats(w, body, 8);
        put_poison_chunk(w, CHUNK_CAMERA_SEE_CONE);
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    EXPECT_EQ(loaded.scene->meshes[0].color, 9);
    ASSERT_EQ(loaded.scene->camera_count, 1);
    EXPECT_EQ(loaded.scene->cameras[0].lens, 8.0f);
}

TEST(ChunkWalk, ChildRunningPastItsParentEndsOnlyTheParentsWalk)
{
    // Inside the first object the mesh's last child claims 40 bytes more
    // than the mesh holds. The mesh walk ends there; the editor walk seeks
    // to the object's own end and reads the second object.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        begin_named_object(w, "first");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        put_vertex_list(w, {{1, 1, 1}});
        size_t color_at = w->bytes.size();
        put_u8_chunk(w, CHUNK_MESH_COLOR, 5);
        patch_u32(w, color_at + 2, 47);
        end_chunk(w);
        end_chunk(w);
        put_mesh_object(w, "second", {{2, 2, 2}, {3, 3, 3}}, {});
        end_chunk(w);
    });
    for (int method : {LOAD_3DS_MEMORY, LOAD_3DS_FILE}) {
        Loaded loaded = method == LOAD_3DS_MEMORY ? load_memory(image) : load_file(image);
        ASSERT_NE(loaded.scene, nullptr) << loaded.error;
        ASSERT_EQ(loaded.scene->mesh_count, 2);
        EXPECT_EQ(loaded.scene->meshes[0].color, 5);
        EXPECT_STREQ(loaded.scene->meshes[1].name, "second");
        EXPECT_EQ(loaded.scene->meshes[1].vertex_count, 2);
    }
}

TEST(ReadString, LongerNamesKeepFifteenCharactersAndAreReadToTheirNul)
{
    // Each name sits between two objects; whatever follows it must be read
    // in step, so all three meshes load with their vertices.
    struct Case {
        const char* name;
        const char* kept;
    };
    const Case cases[] = {{"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
                          {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNO"},
                          {"Planet_Surface_Big1", "Planet_Surface_"},
                          {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> image = test_stream([&](ChunkWriter* w) {
            begin_chunk(w, CHUNK_EDITOR);
            put_mesh_object(w, "before", {{1, 1, 1}}, {});
            put_mesh_object(w, c.name, {{1, 2, 3}, {4, 5, 6}}, {{0, 1, 1, 0}});
            put_mesh_object(w, "after", {{7, 7, 7}, {8, 8, 8}, {9, 9, 9}}, {});
            end_chunk(w);
        });
        for (int method : {LOAD_3DS_MEMORY, LOAD_3DS_FILE}) {
            Loaded loaded = method == LOAD_3DS_MEMORY ? load_memory(image) : load_file(image);
            ASSERT_NE(loaded.scene, nullptr) << loaded.error;
            ASSERT_EQ(loaded.scene->mesh_count, 3);
            const Mesh* m = loaded.scene->meshes;
            EXPECT_STREQ(m[1].name, c.kept);
            EXPECT_EQ(m[1].vertex_count, 2);
            EXPECT_EQ(m[1].face_count, 1);
            EXPECT_EQ(m[1].vertices[1].position.z, 6.0f);
            EXPECT_STREQ(m[2].name, "after");
            EXPECT_EQ(m[2].vertex_count, 3);
        }
    }
}

TEST(ReadString, LongNameCutByTheEndOfDataFailsTheLoad)
{
    // The object's name runs on without a NUL to the end of the data.
    ChunkWriter w;
    begin_chunk(&w, CHUNK_MAIN);
    begin_chunk(&w, CHUNK_EDITOR);
    begin_chunk(&w, CHUNK_NAMED_OBJECT);
    put_bytes(&w, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 26);
    end_chunk(&w);
    end_chunk(&w);
    end_chunk(&w);
    Loaded m = load_memory(w.bytes);
    EXPECT_EQ(m.scene, nullptr);
    EXPECT_EQ(m.error, "Trying to read past memory buffer.");
    Loaded f = load_file(w.bytes);
    EXPECT_EQ(f.scene, nullptr);
    EXPECT_EQ(f.error, "Error reading file.");
}

TEST(ReadString, MaterialNamesKeepNineteenCharactersAndFaceGroupsStayInStep)
{
    // A 24-character material, named again by a face group: the group's
    // face count and indices follow the whole name.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        put_material(w, "plain");
        put_material(w, "ABCDEFGHIJKLMNOPQRS");
        put_material(w, "Brushed_Steel_Dark_Large");
        begin_named_object(w, "m");
        begin_chunk(w, CHUNK_TRIANGLE_MESH);
        put_vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
        begin_face_list(w, {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 0}});
        put_material_group(w, "Brushed_Steel_Dark_Large", {2, 1});
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    ASSERT_EQ(loaded.scene->material_count, 3);
    EXPECT_STREQ(loaded.scene->materials[1].name, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_STREQ(loaded.scene->materials[2].name, "Brushed_Steel_Dark_");
    const Face* faces = loaded.scene->meshes[0].faces;
    EXPECT_EQ(faces[0].material, 0);
    EXPECT_EQ(faces[1].material, 2);
    EXPECT_EQ(faces[2].material, 2);
}

// A chunk length below its own header, or an end past 2^32, would keep a
// walk from advancing (or send it backwards): the stream is rejected.
TEST(ChunkWalk, LengthsThatWouldStallAWalkAreRejected)
{
    struct Case {
        const char* where;
        uint32_t length;
    };
    const Case cases[] = {{"main", 0},
                          {"main", 5},
                          {"editor", 0},
                          {"editor", 1},
                          {"editor", 5},
                          {"mesh child", 0},
                          {"mesh child", 3},
                          {"keyframer child", 0},
                          {"node child", 2},
                          {"editor", 0xFFFFFFFFu},
                          {"node child", 0xFFFFFFF0u}};
    for (const Case& c : cases) {
        std::string where = c.where;
        SCOPED_TRACE(where + " length " + std::to_string(c.length));
        size_t bad_at = 0;
        ChunkWriter w;
        auto lie_here = [&](uint16_t id) {
            bad_at = w.bytes.size();
            put_chunk_header(&w, id, c.length);
            put_u32(&w, 0);
        };
        if (where == "main") {
            lie_here(CHUNK_MAIN);
        } else {
            begin_chunk(&w, CHUNK_MAIN);
            if (where == "editor") {
                lie_here(CHUNK_EDITOR);
            } else if (where == "mesh child") {
                begin_chunk(&w, CHUNK_EDITOR);
                begin_named_object(&w, "m");
                begin_chunk(&w, CHUNK_TRIANGLE_MESH);
                lie_here(CHUNK_VERTEX_LIST);
                end_chunk(&w);
                end_chunk(&w);
                end_chunk(&w);
            } else {
                begin_chunk(&w, CHUNK_KEYFRAMER);
                if (where == "keyframer child") {
                    lie_here(CHUNK_KEYFRAMER_SEGMENT);
                } else {
                    begin_chunk(&w, CHUNK_OBJECT_NODE);
                    lie_here(CHUNK_NODE_ID);
                    end_chunk(&w);
                }
                end_chunk(&w);
            }
            end_chunk(&w);
        }
        std::string expected =
            "Bad chunk length " + std::to_string(c.length) + " at position " + std::to_string(bad_at) + ".";
        Loaded m = load_memory(w.bytes);
        EXPECT_EQ(m.scene, nullptr);
        EXPECT_EQ(m.error, expected);
        // In a stream the positions are the stream's own.
        Loaded f = load_file(w.bytes, 100);
        EXPECT_EQ(f.scene, nullptr);
        EXPECT_EQ(f.error, "Bad chunk length " + std::to_string(c.length) + " at position " +
                               std::to_string(bad_at + 100) + ".");
    }
}

TEST(ChunkWalk, NodeChildLengthThatWouldStallIsRejectedEvenWithoutObjects)
{
    // The keyframer comes before any mesh: the node has no object, yet its
    // children are still walked safely.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_KEYFRAMER);
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_chunk_header(w, CHUNK_POSITION_TRACK, 0);
        end_chunk(w);
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    EXPECT_EQ(loaded.scene, nullptr);
    EXPECT_EQ(loaded.error, "Bad chunk length 0 at position 18.");
}

}  // namespace
