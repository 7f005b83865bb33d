// The keyframer section: the segment, the four node kinds and their
// attachment by name, and every track kind with its spline parameters.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const std::initializer_list<Vec3> POINT = {{1, 2, 3}};
const uint16_t UNKNOWN_ID = 0x1111;  // no walk handles it

// A stream whose editor holds meshes `mesh_names`, then a keyframer section
// written by `body`.
template <typename Body>
std::vector<uint8_t> with_keyframer(std::initializer_list<const char*> mesh_names, Body body)
{
    return test_stream([&](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        for (const char* name : mesh_names) put_mesh_object(w, name, POINT, {});
        end_chunk(w);
        begin_chunk(w, CHUNK_KEYFRAMER);
        body(w);
        end_chunk(w);
    });
}

TEST(KeyframerSegment, FramesAreStoredAsRead)
{
    Loaded loaded = load_memory(with_keyframer({}, [](ChunkWriter* w) { put_segment(w, 100, 0); }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    EXPECT_EQ(loaded.scene->first_frame, 100);
    EXPECT_EQ(loaded.scene->last_frame, 0);
}

TEST(KeyframerTracks, VectorKeysWithSplineParameters)
{
    Loaded loaded = load_memory(with_keyframer({"m"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_header(w, "m", 0, 0, NO_PARENT);
        begin_track(w, CHUNK_POSITION_TRACK, 0x0003, 0x00010003u);  // high half 1: 3 keys
        put_key_head(w, 70000, 0x0005);                             // tension and bias
        put_float(w, 0.5f);
        put_float(w, -0.25f);
        put_float(w, 1);
        put_float(w, 2);
        put_float(w, 3);
        put_key_head(w, 5, 0x0020);  // bit 5: one float consumed and dropped
        put_float(w, 99);
        put_float(w, 4);
        put_float(w, 5);
        put_float(w, 6);
        put_key_head(w, 6, 0x801F);  // all five, and bit 15 dropped
        for (float f : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 77.0f, 7.0f, 8.0f, 9.0f}) put_float(w, f);
        end_chunk(w);
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    ASSERT_EQ(m.pos_key_count, 3);
    EXPECT_EQ(m.pos_track_flags, 3);
    const VectorKey* k = m.pos_keys;
    EXPECT_EQ(k[0].frame, 4464);  // 70000 mod 65536
    EXPECT_EQ(k[0].spline_flags, 5);
    EXPECT_EQ(k[0].tension, 0.5f);
    EXPECT_EQ(k[0].continuity, 0.0f);
    EXPECT_EQ(k[0].bias, -0.25f);
    EXPECT_EQ(k[0].ease_to, 0.0f);
    EXPECT_EQ(k[0].ease_from, 0.0f);
    EXPECT_EQ(k[0].value.x, 1.0f);
    EXPECT_EQ(k[0].value.z, 3.0f);
    EXPECT_EQ(k[1].tension + k[1].continuity + k[1].bias + k[1].ease_to + k[1].ease_from, 0.0f);
    EXPECT_EQ(k[1].value.x, 4.0f);
    EXPECT_EQ(k[1].value.z, 6.0f);
    EXPECT_EQ(k[2].tension, 1.0f);
    EXPECT_EQ(k[2].continuity, 2.0f);
    EXPECT_EQ(k[2].bias, 3.0f);
    EXPECT_EQ(k[2].ease_to, 4.0f);
    EXPECT_EQ(k[2].ease_from, 5.0f);
    EXPECT_EQ(k[2].value.x, 7.0f);
    EXPECT_EQ(k[2].value.z, 9.0f);
}

TEST(KeyframerTracks, RotationScaleMorphAndHideTracksOfAMeshNode)
{
    Loaded loaded = load_memory(with_keyframer({"m"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_id(w, 4);
        put_node_header(w, "m", OBJECT_NODE_FLAGS, 0x1234, 2);
        put_floats_chunk(w, CHUNK_PIVOT, {1, 2, 3});
        begin_track(w, CHUNK_ROTATION_TRACK, 8, 1);
        put_key_head(w, 10, 0x0002);
        put_float(w, 0.75f);  // continuity
        for (float f : {1.5f, 0.0f, 1.0f, 0.0f}) put_float(w, f);
        end_chunk(w);
        begin_track(w, CHUNK_SCALE_TRACK, 9, 1);
        put_key_head(w, 11, 0);
        for (float f : {2.0f, 3.0f, 4.0f}) put_float(w, f);
        end_chunk(w);
        begin_track(w, CHUNK_MORPH_TRACK, 10, 2);
        put_key_head(w, 12, 0x0010);
        put_float(w, 0.125f);                   // ease_from
        put_string(w, "target_of_twenty_chr");  // kept to 15, read to its NUL
        put_key_head(w, 13, 0x0001);
        put_float(w, 0.25f);  // tension
        put_string(w, "other");
        end_chunk(w);
        begin_track(w, CHUNK_HIDE_TRACK, 11, 2);
        put_key_head(w, 20, 0x001F);  // no spline floats follow a hide key
        put_key_head(w, 30, 0);
        end_chunk(w);
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    EXPECT_EQ(m.node_id, 4);
    EXPECT_EQ(m.node_flags, OBJECT_NODE_FLAGS);
    EXPECT_EQ(m.parent_id, 2);
    EXPECT_EQ(m.pivot.y, 2.0f);
    ASSERT_EQ(m.rot_key_count, 1);
    EXPECT_EQ(m.rot_track_flags, 8);
    EXPECT_EQ(m.rot_keys[0].frame, 10);
    EXPECT_EQ(m.rot_keys[0].continuity, 0.75f);
    EXPECT_EQ(m.rot_keys[0].angle, 1.5f);
    EXPECT_EQ(m.rot_keys[0].axis.y, 1.0f);
    ASSERT_EQ(m.scale_key_count, 1);
    EXPECT_EQ(m.scale_track_flags, 9);
    EXPECT_EQ(m.scale_keys[0].value.z, 4.0f);
    ASSERT_EQ(m.morph_key_count, 2);
    EXPECT_EQ(m.morph_track_flags, 10);
    EXPECT_EQ(m.morph_keys[0].ease_from, 0.125f);
    EXPECT_STREQ(m.morph_keys[0].target_name, "target_of_twent");
    EXPECT_STREQ(m.morph_keys[1].target_name, "other");
    EXPECT_EQ(m.morph_keys[1].frame, 13);
    EXPECT_EQ(m.morph_keys[1].spline_flags, 1);
    EXPECT_EQ(m.morph_keys[1].tension, 0.25f);
    ASSERT_EQ(m.hide_key_count, 2);
    EXPECT_EQ(m.hide_track_flags, 11);
    EXPECT_EQ(m.hide_keys[0].frame, 20);
    EXPECT_EQ(m.hide_keys[1].frame, 30);
}

TEST(KeyframerTracks, EmptyTrackAndSecondTrackOfAKind)
{
    Loaded loaded = load_memory(with_keyframer({"m"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_header(w, "m", 0, 0, 0);
        begin_track(w, CHUNK_SCALE_TRACK, 1, 0);
        end_chunk(w);
        put_one_key_track(w, CHUNK_POSITION_TRACK, 1, {1, 1, 1});
        begin_track(w, CHUNK_POSITION_TRACK, 6, 2);
        put_key_head(w, 2, 0);
        for (float f : {2.0f, 2.0f, 2.0f}) put_float(w, f);
        put_key_head(w, 3, 0);
        for (float f : {3.0f, 3.0f, 3.0f}) put_float(w, f);
        end_chunk(w);
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    EXPECT_EQ(m.scale_key_count, 0);
    EXPECT_EQ(m.scale_track_flags, 1);
    EXPECT_NE(m.scale_keys, nullptr);
    ASSERT_EQ(m.pos_key_count, 2);
    EXPECT_EQ(m.pos_track_flags, 6);
    EXPECT_EQ(m.pos_keys[1].value.x, 3.0f);
    // The first position keys were released when replaced (LeakSanitizer).
}

TEST(KeyframerTracks, KeysRunningPastTheirChunkAreReadOnAndTheWalkResumes)
{
    // The track's chunk claims only its header, yet its one key is read
    // from the bytes that follow; the seek then goes back to the chunk's
    // end, where the walk meets those bytes again as a chunk.
    Loaded loaded = load_memory(with_keyframer({"m"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_header(w, "m", 0, 0, 0);
        begin_track(w, CHUNK_POSITION_TRACK, 0, 1);
        end_chunk(w);
        // 18 bytes: a key (frame UNKNOWN_ID with 18 in its high half, spline
        // flags 0, x, y, z), and a chunk UNKNOWN_ID of 18 bytes to the walk.
        put_u16(w, UNKNOWN_ID);
        put_u32(w, 18);
        for (float f : {5.0f, 6.0f, 7.0f}) put_float(w, f);
        put_one_key_track(w, CHUNK_SCALE_TRACK, 2, {8.0f, 8.0f, 8.0f});
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    ASSERT_EQ(m.pos_key_count, 1);
    EXPECT_EQ(m.pos_keys[0].frame, UNKNOWN_ID);
    EXPECT_EQ(m.pos_keys[0].spline_flags, 0);
    EXPECT_EQ(m.pos_keys[0].value.x, 5.0f);
    EXPECT_EQ(m.pos_keys[0].value.z, 7.0f);
    // The scale track after the UNKNOWN_ID chunk was met in step.
    ASSERT_EQ(m.scale_key_count, 1);
    EXPECT_EQ(m.scale_keys[0].value.y, 8.0f);
}

TEST(KeyframerNodes, AttachmentByName)
{
    Loaded loaded = load_memory(with_keyframer({"first", "twin", "twin", "Case"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);  // the earlier of two meshes of one name
        put_node_id(w, 7);
        put_node_header(w, "twin", 0x11, 0, 70);
        end_chunk(w);
        begin_chunk(w, CHUNK_OBJECT_NODE);  // names no mesh: the first mesh takes it
        put_node_id(w, 8);
        put_node_header(w, "case", 0x22, 0, 80);
        put_one_key_track(w, CHUNK_POSITION_TRACK, 0, {9, 9, 9});
        end_chunk(w);
        begin_chunk(w, CHUNK_OBJECT_NODE);  // node id after its header: 0 is stored
        put_node_header(w, "Case", 0x33, 0, 90);
        put_node_id(w, 9);
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh* m = loaded.scene->meshes;
    EXPECT_EQ(m[1].node_id, 7);
    EXPECT_EQ(m[1].node_flags, 0x11);
    EXPECT_EQ(m[1].parent_id, 70);
    EXPECT_EQ(m[2].node_id, 0);
    EXPECT_EQ(m[2].parent_id, 0);
    EXPECT_EQ(m[0].node_id, 0);  // the unmatched node's id goes nowhere
    EXPECT_EQ(m[0].node_flags, 0x22);
    EXPECT_EQ(m[0].parent_id, 80);
    ASSERT_EQ(m[0].pos_key_count, 1);
    EXPECT_EQ(m[0].pos_keys[0].value.x, 9.0f);
    EXPECT_EQ(m[3].node_id, 0);
    EXPECT_EQ(m[3].node_flags, 0x33);
    EXPECT_EQ(m[3].parent_id, 90);
}

TEST(KeyframerNodes, LongHeaderNameIsReadToItsNulAndTheWordsFollowIt)
{
    // Both the object's name and the node's keep their first 15 characters,
    // so the node finds its object; the three words come after the NUL.
    Loaded loaded = load_memory(with_keyframer({"Planet_Surface_Big01"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_id(w, 3);
        put_node_header(w, "Planet_Surface_Big01", 0x0101, 0x0202, 0x0303);
        end_chunk(w);
    }));
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& m = loaded.scene->meshes[0];
    EXPECT_STREQ(m.name, "Planet_Surface_");
    EXPECT_EQ(m.node_id, 3);
    EXPECT_EQ(m.node_flags, 0x0101);
    EXPECT_EQ(m.parent_id, 0x0303);
}

TEST(KeyframerNodes, CameraTargetAndLightNodes)
{
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        put_camera_object(w, "cam", {0, 0, 0}, {0, 0, 1}, 0, 50);
        put_light_object(w, "sun", {0, 0, 0});
        end_chunk(w);
        begin_chunk(w, CHUNK_KEYFRAMER);
        begin_chunk(w, CHUNK_CAMERA_NODE);
        put_node_id(w, 1);
        put_node_header(w, "cam", 0x0A, 0, 11);
        put_one_key_track(w, CHUNK_POSITION_TRACK, 1, {1, 2, 3});
        begin_track(w, CHUNK_FOV_TRACK, 2, 1);
        put_key_head(w, 4, 0);
        put_float(w, 45);
        end_chunk(w);
        begin_track(w, CHUNK_ROLL_TRACK, 3, 1);
        put_key_head(w, 5, 0x0001);
        put_float(w, 0.5f);
        put_float(w, 12);
        end_chunk(w);
        begin_track(w, CHUNK_ROTATION_TRACK, 0, 1);  // not a camera track: skipped
        end_chunk(w);
        end_chunk(w);
        begin_chunk(w, CHUNK_TARGET_NODE);
        put_node_id(w, 2);
        put_node_header(w, "cam", 0x0B, 0, 22);
        put_one_key_track(w, CHUNK_POSITION_TRACK, 6, {4, 5, 6});
        end_chunk(w);
        begin_chunk(w, CHUNK_LIGHT_NODE);
        put_node_id(w, 3);
        put_node_header(w, "sun", 0x0C, 0, 33);
        put_one_key_track(w, CHUNK_POSITION_TRACK, 7, {7, 8, 9});
        begin_track(w, CHUNK_COLOR_TRACK, 0, 1);  // colour track: skipped
        end_chunk(w);
        end_chunk(w);
        for (uint16_t skipped : {CHUNK_AMBIENT_NODE, CHUNK_LIGHT_TARGET_NODE, CHUNK_SPOTLIGHT_NODE}) {
            begin_chunk(w, skipped);
            put_node_id(w, 99);
            put_node_header(w, "sun", 0xFF, 0, 99);
            put_one_key_track(w, CHUNK_POSITION_TRACK, 99, {99, 99, 99});
            end_chunk(w);
        }
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Camera& c = loaded.scene->cameras[0];
    EXPECT_EQ(c.node_id, 1);
    EXPECT_EQ(c.parent_id, 11);
    EXPECT_EQ(c.target_node_id, 2);
    EXPECT_EQ(c.target_parent_id, 22);
    EXPECT_EQ(c.node_flags, 0x0B);  // the later header's
    ASSERT_EQ(c.pos_key_count, 1);
    EXPECT_EQ(c.pos_keys[0].value.y, 2.0f);
    ASSERT_EQ(c.fov_key_count, 1);
    EXPECT_EQ(c.fov_track_flags, 2);
    EXPECT_EQ(c.fov_keys[0].value, 45.0f);
    ASSERT_EQ(c.roll_key_count, 1);
    EXPECT_EQ(c.roll_track_flags, 3);
    EXPECT_EQ(c.roll_keys[0].tension, 0.5f);
    EXPECT_EQ(c.roll_keys[0].value, 12.0f);
    ASSERT_EQ(c.target_key_count, 1);
    EXPECT_EQ(c.target_keys[0].frame, 6);
    EXPECT_EQ(c.target_keys[0].value.z, 6.0f);
    const Light& l = loaded.scene->lights[0];
    EXPECT_EQ(l.node_id, 3);
    EXPECT_EQ(l.parent_id, 33);
    EXPECT_EQ(l.node_flags, 0x0C);
    ASSERT_EQ(l.pos_key_count, 1);
    EXPECT_EQ(l.pos_keys[0].value.x, 7.0f);
}

TEST(KeyframerNodes, NodesBeforeTheirObjectsWriteNothing)
{
    // The keyframer comes first: every node kind finds an empty list. Its
    // tracks are passed over; the objects read later stay untouched.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_KEYFRAMER);
        for (uint16_t kind : {CHUNK_OBJECT_NODE, CHUNK_CAMERA_NODE, CHUNK_TARGET_NODE, CHUNK_LIGHT_NODE}) {
            begin_chunk(w, kind);
            put_node_id(w, 5);
            put_node_header(w, "x", OBJECT_NODE_FLAGS, 0, 6);
            put_one_key_track(w, CHUNK_POSITION_TRACK, 1, {1, 2, 3});
            begin_track(w, CHUNK_ROTATION_TRACK, 0, 1000);  // keys that are not there
            end_chunk(w);
            end_chunk(w);
        }
        end_chunk(w);
        begin_chunk(w, CHUNK_EDITOR);
        put_mesh_object(w, "x", POINT, {});
        put_camera_object(w, "x", {0, 0, 0}, {1, 1, 1}, 0, 50);
        put_light_object(w, "x", {0, 0, 0});
        end_chunk(w);
    });
    for (int method : {LOAD_3DS_MEMORY, LOAD_3DS_FILE}) {
        Loaded loaded = method == LOAD_3DS_MEMORY ? load_memory(image) : load_file(image);
        ASSERT_NE(loaded.scene, nullptr) << loaded.error;
        const Scene& s = *loaded.scene;
        EXPECT_EQ(s.meshes[0].node_id + s.meshes[0].parent_id + s.meshes[0].node_flags, 0);
        EXPECT_EQ(s.meshes[0].pos_keys, nullptr);
        EXPECT_EQ(s.cameras[0].node_id + s.cameras[0].target_node_id + s.cameras[0].node_flags, 0);
        EXPECT_EQ(s.cameras[0].pos_keys, nullptr);
        EXPECT_EQ(s.cameras[0].target_keys, nullptr);
        EXPECT_EQ(s.lights[0].node_id + s.lights[0].parent_id, 0);
        EXPECT_EQ(s.lights[0].pos_keys, nullptr);
    }
}

TEST(KeyframerTracks, MissingKeysFailTheLoadAndReleaseWhatWasRead)
{
    Loaded loaded = load_memory(with_keyframer({"m"}, [](ChunkWriter* w) {
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_header(w, "m", 0, 0, 0);
        put_one_key_track(w, CHUNK_POSITION_TRACK, 1, {1, 2, 3});
        begin_track(w, CHUNK_ROTATION_TRACK, 0, 50);  // 50 keys, and no bytes for them
        end_chunk(w);
        end_chunk(w);
    }));
    EXPECT_EQ(loaded.scene, nullptr);
    EXPECT_EQ(loaded.error, "Trying to read past memory buffer.");
}

}  // namespace
