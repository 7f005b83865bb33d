// The passes over a loaded scene: object matrices, parent flags and the
// exchange of Y and Z.
#include <gtest/gtest.h>
#include <string.h>

#include <limits>

#include "test_support.h"

namespace {

struct MatrixCase {
    const char* name;
    float local[12];
    Vec3 pivot;
    Vec3 origin;
    float expected[12];
};

TEST(ObjectMatrix, FromFramePivotAndOrigin)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const MatrixCase cases[] = {
        {"no frame, no pivot: the composition, all zero", {}, {0, 0, 0}, {0, 0, 0}, {}},
        {"identity frame with translation, pivot (1, 1, 1)",
         {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7},
         {1, 1, 1},
         {0, 0, 0},
         {1, 0, 0, 0, 1, 0, 0, 0, 1, 4, 5, 6}},
        {"first row (-1, 0, 0): pivot and origin only",
         {-1, 0, 0, 3, 4, 5, 6, 7, 8, 9, 9, 9},
         {1, 2, 3},
         {10, 20, 30},
         {1, 0, 0, 0, 1, 0, 0, 0, 1, -11, -22, -33}},
        {"first row (-1, 0, -0.0) counts as (-1, 0, 0)",
         {-1, 0, -0.0f, 0, 1, 0, 0, 0, 1, 0, 0, 0},
         {0, 0, 0},
         {1, 1, 1},
         {1, 0, 0, 0, 1, 0, 0, 0, 1, -1, -1, -1}},
        {"first row (-1, NaN, 0) counts as (-1, 0, 0)",
         {-1, nan, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0},
         {0, 0, 0},
         {2, 2, 2},
         {1, 0, 0, 0, 1, 0, 0, 0, 1, -2, -2, -2}},
        {"first row (-1, 0, 0.0001) takes the composition",
         {-1, 0, 0.0001f, 0, 1, 0, 0, 0, 1, 3, 4, 5},
         {1, 1, 1},
         {7, 7, 7},
         {-1, 0, 0.0001f, 0, 1, 0, 0, 0, 1, 2, 3, 4}},
        {"rotated frame: translation minus pivot",
         {0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 2, 3},
         {0.5f, 0.25f, 2},
         {0, 0, 0},
         {0, 1, 0, -1, 0, 0, 0, 0, 1, 0.5f, 1.75f, 1}},
    };
    for (const MatrixCase& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh mesh;
        memset(&mesh, 0, sizeof mesh);
        memcpy(mesh.local_matrix, c.local, sizeof c.local);
        mesh.pivot = c.pivot;
        mesh.origin = c.origin;
        compute_object_matrix(&mesh);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(mesh.object_matrix[i], c.expected[i]) << "element " << i;
    }
}

TEST(ObjectMatrix, ComposeAppliesTheSecondMatrixFirst)
{
    // a: rotation about z by 90 degrees, translation (1, 0, 0);
    // b: scale 2, translation (0, 0, 5). p = (1, 2, 3) -> b -> (2, 4, 11)
    // -> a -> (-4 + 1, 2, 11).
    const float a[12] = {0, -1, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0};
    const float b[12] = {2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 5};
    float d[12];
    mat34_compose(d, a, b);
    const float expected[12] = {0, -2, 0, 2, 0, 0, 0, 0, 2, 1, 0, 5};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(d[i], expected[i]) << i;
    const float p[3] = {1, 2, 3};
    float q[3];
    for (int r = 0; r < 3; ++r) q[r] = d[3 * r] * p[0] + d[3 * r + 1] * p[1] + d[3 * r + 2] * p[2] + d[9 + r];
    EXPECT_EQ(q[0], -3.0f);
    EXPECT_EQ(q[1], 2.0f);
    EXPECT_EQ(q[2], 11.0f);
}

// A scene of zero-filled records, for the passes alone.
struct SceneFixture {
    Scene scene;
    std::vector<Mesh> meshes;
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    SceneFixture(int mesh_count, int camera_count, int light_count)
        : meshes(mesh_count), cameras(camera_count), lights(light_count)
    {
        memset(&scene, 0, sizeof scene);  // the vectors' records are value-initialised: zero
        scene.mesh_count = mesh_count;
        scene.camera_count = camera_count;
        scene.light_count = light_count;
        scene.meshes = mesh_count ? meshes.data() : nullptr;
        scene.cameras = camera_count ? cameras.data() : nullptr;
        scene.lights = light_count ? lights.data() : nullptr;
    }
};

TEST(ParentFlags, AnyMeshCameraTargetOrLightNamingTheNode)
{
    // Mesh 0 (node 3) is named by the light, mesh 1 (node 4) by a camera's
    // target, mesh 2 (node 5) by itself, mesh 3 (node 6) by nobody, mesh 4
    // (node 7) by another mesh, mesh 5 (node 8) by a camera.
    SceneFixture f(6, 2, 1);
    const uint16_t ids[6] = {3, 4, 5, 6, 7, 8};
    const uint16_t parents[6] = {NO_PARENT, NO_PARENT, 5, NO_PARENT, NO_PARENT, 7};
    for (int i = 0; i < 6; ++i) {
        f.meshes[i].node_id = ids[i];
        f.meshes[i].parent_id = parents[i];
        f.meshes[i].has_children = 9;  // overwritten by the pass
    }
    f.cameras[0].parent_id = NO_PARENT;
    f.cameras[0].target_parent_id = 4;
    f.cameras[1].parent_id = 8;
    f.cameras[1].target_parent_id = NO_PARENT;
    f.lights[0].parent_id = 3;
    mark_parent_meshes(&f.scene);
    const uint16_t expected[6] = {1, 1, 1, 0, 1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f.meshes[i].has_children, expected[i]) << "mesh " << i;
}

TEST(ParentFlags, RecordsWithoutNodesNameNodeZero)
{
    // A camera without a target node has target_parent_id 0: mesh node 0
    // counts as its parent.
    SceneFixture f(2, 1, 0);
    f.meshes[0].node_id = 0;
    f.meshes[0].parent_id = NO_PARENT;
    f.meshes[1].node_id = 1;
    f.meshes[1].parent_id = NO_PARENT;
    f.cameras[0].parent_id = NO_PARENT;
    mark_parent_meshes(&f.scene);
    EXPECT_EQ(f.meshes[0].has_children, 1);
    EXPECT_EQ(f.meshes[1].has_children, 0);
}

TEST(AxisExchange, SwapsYAndZOfEveryPositionLikeValue)
{
    SceneFixture f(1, 1, 1);
    Mesh& m = f.meshes[0];
    Vertex vertex = {{1, 2, 3}, 0.25f, 0.5f};
    VectorKey pos = {{4, 5, 6}, 0, 0, 0, 0, 0, 0, 0};
    VectorKey scale = {{7, 8, 9}, 0, 0, 0, 0, 0, 0, 0};
    RotationKey rot = {1.5f, {0, 1, 0}, 0, 0, 0, 0, 0, 0, 0};
    Face face = {{0, 1, 2}, 0, 0, 0};
    m.vertices = &vertex;
    m.vertex_count = 1;
    m.faces = &face;
    m.face_count = 1;
    m.pos_keys = &pos;
    m.pos_key_count = 1;
    m.scale_keys = &scale;
    m.scale_key_count = 1;
    m.rot_keys = &rot;
    m.rot_key_count = 1;
    m.origin = {1, 2, 3};
    m.pivot = {4, 5, 6};
    // Rows (a, b, c), (d, e, f), (g, h, i) become (a, c, b), (g, i, h), (d, f, e).
    const float frame[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    memcpy(m.local_matrix, frame, sizeof frame);
    memcpy(m.object_matrix, frame, sizeof frame);
    Camera& c = f.cameras[0];
    c.position = {1, 2, 3};
    c.target = {4, 5, 6};
    VectorKey target_key = {{7, 8, 9}, 0, 0, 0, 0, 0, 0, 0};
    VectorKey camera_key = {{1, 3, 5}, 0, 0, 0, 0, 0, 0, 0};
    c.target_keys = &target_key;
    c.target_key_count = 1;
    c.pos_keys = &camera_key;
    c.pos_key_count = 1;
    c.lens = 35;
    Light& l = f.lights[0];
    l.position = {6, 7, 8};
    l.color[1] = 0.5f;
    VectorKey light_key = {{2, 4, 6}, 0, 0, 0, 0, 0, 0, 0};
    l.pos_keys = &light_key;
    l.pos_key_count = 1;

    convert_scene_axes(&f.scene);

    EXPECT_EQ(vertex.position.y, 3.0f);
    EXPECT_EQ(vertex.position.z, 2.0f);
    EXPECT_EQ(vertex.u, 0.25f);
    EXPECT_EQ(pos.value.y, 6.0f);
    EXPECT_EQ(scale.value.z, 8.0f);
    EXPECT_EQ(rot.angle, 1.5f);
    EXPECT_EQ(rot.axis.y, 0.0f);
    EXPECT_EQ(rot.axis.z, 1.0f);
    EXPECT_EQ(face.vertex[1], 1);  // winding unchanged
    EXPECT_EQ(m.origin.y, 3.0f);
    EXPECT_EQ(m.pivot.z, 5.0f);
    const float swapped[12] = {1, 3, 2, 7, 9, 8, 4, 6, 5, 10, 12, 11};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(m.local_matrix[i], swapped[i]) << i;
        EXPECT_EQ(m.object_matrix[i], swapped[i]) << i;
    }
    EXPECT_EQ(c.position.y, 3.0f);
    EXPECT_EQ(c.target.z, 5.0f);
    EXPECT_EQ(target_key.value.y, 9.0f);
    EXPECT_EQ(camera_key.value.z, 3.0f);
    EXPECT_EQ(c.lens, 35.0f);
    EXPECT_EQ(l.position.y, 8.0f);
    EXPECT_EQ(l.color[1], 0.5f);
    EXPECT_EQ(light_key.value.y, 6.0f);

    convert_scene_axes(&f.scene);  // its own inverse
    EXPECT_EQ(vertex.position.y, 2.0f);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m.local_matrix[i], frame[i]) << i;
    EXPECT_EQ(l.position.z, 8.0f);
}

TEST(AxisExchange, NoSceneAndEmptySceneAreFine)
{
    convert_scene_axes(nullptr);
    SceneFixture f(0, 0, 0);
    convert_scene_axes(&f.scene);
    mark_parent_meshes(&f.scene);
    EXPECT_EQ(f.scene.mesh_count, 0);
}

TEST(PostLoad, LoadRunsMatricesAndParentFlags)
{
    // Through load_3ds: a frame read from the stream and a pivot from the
    // node give the object matrix; the node ids give the parent flags.
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        for (const char* name : {"parent", "child"}) {
            begin_named_object(w, name);
            begin_chunk(w, CHUNK_TRIANGLE_MESH);
            put_local_matrix(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, 0.5f});
            end_chunk(w);
            end_chunk(w);
        }
        end_chunk(w);
        begin_chunk(w, CHUNK_KEYFRAMER);
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_id(w, 0);
        put_node_header(w, "parent", 0, 0, NO_PARENT);
        put_floats_chunk(w, CHUNK_PIVOT, {1.0f, 2.0f, 3.0f});
        end_chunk(w);
        begin_chunk(w, CHUNK_OBJECT_NODE);
        put_node_id(w, 1);
        put_node_header(w, "child", 0, 0, 0);
        end_chunk(w);
        end_chunk(w);
    });
    Loaded loaded = load_memory(image);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Mesh& parent = loaded.scene->meshes[0];
    const Mesh& child = loaded.scene->meshes[1];
    EXPECT_EQ(parent.object_matrix[0], 1.0f);
    EXPECT_EQ(parent.object_matrix[9], -1.5f);
    EXPECT_EQ(parent.object_matrix[10], -2.5f);
    EXPECT_EQ(parent.object_matrix[11], -3.5f);
    EXPECT_EQ(child.object_matrix[9], -0.5f);
    EXPECT_EQ(parent.has_children, 1);
    EXPECT_EQ(child.has_children, 0);
}

}  // namespace
