// The model that the saver carries, resources/head.3ds: it is exactly what
// the generator writes, its chunks are laid out as designed, and the reader
// makes of it two meshes that face the camera after the exchange of Y and Z,
// tile the medal's disc without cracks or overlaps, and carry neutral
// keyframe nodes.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "head_model.h"
#include "test_support.h"

namespace {

// The design's counts.
const uint16_t EMBLEM_VERTICES = 1048;
const uint16_t EMBLEM_FACES = 1934;
const uint16_t RIM_VERTICES = 960;
const uint16_t RIM_FACES = 1600;
const char MATERIAL_NAME[] = "WHITEMETAL";
const char EMBLEM_NAME[] = "ORDER_STAR";
const char RIM_NAME[] = "REEDED_RIM";

std::string resource_path() { return std::string(SAVER_RESOURCES_DIR) + "/head.3ds"; }

std::vector<uint8_t> read_resource() { return read_file_bytes(resource_path()); }

// One chunk of the stream: its path of ids from the main chunk (as written
// by child_path), the offset of its header and its length.
struct ChunkEntry {
    std::string path;
    size_t offset;
    uint32_t length;
};

// The path of chunk `id` inside the chunk at `parent` ("" for the top):
// the ids in hexadecimal, joined by "/".
std::string child_path(const std::string& parent, uint16_t id)
{
    char name[8];
    snprintf(name, sizeof name, "%04X", id);
    return parent.empty() ? name : parent + "/" + name;
}

// The paths of the model's containers.
const std::string MAIN = child_path("", CHUNK_MAIN);
const std::string EDITOR = child_path(MAIN, CHUNK_EDITOR);
const std::string MATERIAL = child_path(EDITOR, CHUNK_MATERIAL);
const std::string OBJECT = child_path(EDITOR, CHUNK_NAMED_OBJECT);
const std::string MESH = child_path(OBJECT, CHUNK_TRIANGLE_MESH);
const std::string FACES = child_path(MESH, CHUNK_FACE_LIST);
const std::string KEYFRAMER = child_path(MAIN, CHUNK_KEYFRAMER);
const std::string NODE = child_path(KEYFRAMER, CHUNK_OBJECT_NODE);
const uint16_t COLOR_PROPERTIES[] = {CHUNK_MATERIAL_AMBIENT, CHUNK_MATERIAL_DIFFUSE, CHUNK_MATERIAL_SPECULAR};
const uint16_t PERCENT_PROPERTIES[] = {CHUNK_MATERIAL_SHININESS, CHUNK_MATERIAL_SHININESS_STRENGTH,
                                       CHUNK_MATERIAL_TRANSPARENCY, CHUNK_MATERIAL_TRANSPARENCY_FALLOFF,
                                       CHUNK_MATERIAL_REFLECTION_BLUR};
const uint16_t TRACKS[] = {CHUNK_POSITION_TRACK, CHUNK_ROTATION_TRACK, CHUNK_SCALE_TRACK};

// Bytes of a chunk's own data before its sub-chunks, for the chunks that
// have sub-chunks; -1 for a leaf. A named object starts with its name and a
// face list with its faces.
long own_data_size(uint16_t id, const std::vector<uint8_t>& b, size_t body)
{
    switch (id) {
    case CHUNK_MAIN:
    case CHUNK_EDITOR:
    case CHUNK_MATERIAL:
    case CHUNK_TRIANGLE_MESH:
    case CHUNK_KEYFRAMER:
    case CHUNK_OBJECT_NODE:
    case CHUNK_MATERIAL_AMBIENT:
    case CHUNK_MATERIAL_DIFFUSE:
    case CHUNK_MATERIAL_SPECULAR:
    case CHUNK_MATERIAL_SHININESS:
    case CHUNK_MATERIAL_SHININESS_STRENGTH:
    case CHUNK_MATERIAL_TRANSPARENCY:
    case CHUNK_MATERIAL_TRANSPARENCY_FALLOFF:
    case CHUNK_MATERIAL_REFLECTION_BLUR:
    case CHUNK_MATERIAL_SELF_ILLUMINATION:
        return 0;
    case CHUNK_NAMED_OBJECT:
        return (long)strlen((const char*)&b[body]) + 1;
    case CHUNK_FACE_LIST:
        return 2 + 8L * u16_at(b, body);
    default:
        return -1;
    }
}

// Lists the chunks from `at` to `end` depth first. False when a chunk runs
// past its parent.
bool list_chunks(const std::vector<uint8_t>& b, size_t at, size_t end, const std::string& parent,
                 std::vector<ChunkEntry>* out)
{
    while (at < end) {
        if (end - at < 6) return false;
        uint16_t id = u16_at(b, at);
        uint32_t length = u32_at(b, at + 2);
        if (length < 6 || length > end - at) return false;
        std::string path = child_path(parent, id);
        out->push_back({path, at, length});
        long own = own_data_size(id, b, at + 6);
        if (own >= 0 && !list_chunks(b, at + 6 + (size_t)own, at + length, path, out)) return false;
        at += length;
    }
    return true;
}

const ChunkEntry* find_chunk(const std::vector<ChunkEntry>& chunks, const std::string& path, int nth = 0)
{
    for (const ChunkEntry& c : chunks)
        if (c.path == path && nth-- == 0) return &c;
    return nullptr;
}

// The loaded resource, released at the end of the test.
Loaded load_resource()
{
    std::vector<uint8_t> bytes = read_resource();
    return load_memory(bytes);
}

TEST(HeadModel, GeneratorWritesTheResourceByteForByte)
{
    std::vector<uint8_t> resource = read_resource();
    ASSERT_FALSE(resource.empty()) << "cannot read " << resource_path();
    std::vector<uint8_t> generated;
    ASSERT_TRUE(write_head_model(&generated));
    ASSERT_EQ(generated.size(), resource.size());
    size_t first_difference = 0;
    while (first_difference < resource.size() && generated[first_difference] == resource[first_difference])
        ++first_difference;
    EXPECT_EQ(first_difference, resource.size()) << "the bytes differ from this offset on";
}

TEST(HeadModel, ChunksAreLaidOutAsDesigned)
{
    std::vector<uint8_t> b = read_resource();
    ASSERT_FALSE(b.empty());
    std::vector<ChunkEntry> chunks;
    ASSERT_TRUE(list_chunks(b, 0, b.size(), "", &chunks));

    // Expected outline: path and length of every chunk, in stream order.
    auto mesh_lines = [](uint32_t vertices, uint32_t faces) {
        uint32_t vertex_list = 8 + 12 * vertices, map_coords = 8 + 8 * vertices, frame = 54;
        uint32_t group = 6 + 11 + 2 + 2 * faces, smoothing = 6 + 4 * faces;
        uint32_t face_list = 8 + 8 * faces + group + smoothing;
        uint32_t mesh = 6 + vertex_list + map_coords + frame + face_list;
        std::vector<std::pair<std::string, uint32_t>> lines = {
            {OBJECT, 6 + 11 + mesh},
            {MESH, mesh},
            {child_path(MESH, CHUNK_VERTEX_LIST), vertex_list},
            {child_path(MESH, CHUNK_MAP_COORDS), map_coords},
            {child_path(MESH, CHUNK_LOCAL_MATRIX), frame},
            {FACES, face_list},
            {child_path(FACES, CHUNK_FACE_MATERIAL_GROUP), group},
            {child_path(FACES, CHUNK_SMOOTHING_GROUPS), smoothing},
        };
        return lines;
    };
    std::vector<std::pair<std::string, uint32_t>> expected = {
        {MAIN, (uint32_t)b.size()},
        {child_path(MAIN, CHUNK_FILE_VERSION), 10},
        {EDITOR, 0},  // filled in below
        {child_path(EDITOR, CHUNK_MESH_VERSION), 10},
        {MATERIAL, 170},
        {child_path(MATERIAL, CHUNK_MATERIAL_NAME), 17},
    };
    for (uint16_t colour : COLOR_PROPERTIES) {
        expected.push_back({child_path(MATERIAL, colour), 15});
        expected.push_back({child_path(child_path(MATERIAL, colour), CHUNK_COLOR_24), 9});
    }
    for (uint16_t percentage : PERCENT_PROPERTIES) {
        expected.push_back({child_path(MATERIAL, percentage), 14});
        expected.push_back({child_path(child_path(MATERIAL, percentage), CHUNK_PERCENT_INT), 8});
    }
    const std::string self_illumination = child_path(MATERIAL, CHUNK_MATERIAL_SELF_ILLUMINATION);
    expected.push_back({child_path(MATERIAL, CHUNK_MATERIAL_SHADING), 8});
    expected.push_back({self_illumination, 14});
    expected.push_back({child_path(self_illumination, CHUNK_PERCENT_INT), 8});
    expected.push_back({child_path(MATERIAL, CHUNK_MATERIAL_WIRE_SIZE), 10});
    expected.push_back({child_path(EDITOR, CHUNK_MASTER_SCALE), 10});
    std::vector<std::pair<std::string, uint32_t>> emblem = mesh_lines(EMBLEM_VERTICES, EMBLEM_FACES);
    std::vector<std::pair<std::string, uint32_t>> rim = mesh_lines(RIM_VERTICES, RIM_FACES);
    expected.insert(expected.end(), emblem.begin(), emblem.end());
    expected.insert(expected.end(), rim.begin(), rim.end());
    uint32_t editor = 6 + 10 + 170 + 10 + emblem[0].second + rim[0].second;
    expected[2].second = editor;
    expected.push_back({KEYFRAMER, 397});
    expected.push_back({child_path(KEYFRAMER, CHUNK_KEYFRAMER_HEADER), 21});
    expected.push_back({child_path(KEYFRAMER, CHUNK_KEYFRAMER_SEGMENT), 14});
    expected.push_back({child_path(KEYFRAMER, CHUNK_KEYFRAMER_CURRENT_TIME), 10});
    for (int node = 0; node < 2; ++node) {
        expected.push_back({NODE, 173});
        expected.push_back({child_path(NODE, CHUNK_NODE_ID), 8});
        expected.push_back({child_path(NODE, CHUNK_NODE_HEADER), 23});
        expected.push_back({child_path(NODE, CHUNK_PIVOT), 18});
        expected.push_back({child_path(NODE, CHUNK_POSITION_TRACK), 38});
        expected.push_back({child_path(NODE, CHUNK_ROTATION_TRACK), 42});
        expected.push_back({child_path(NODE, CHUNK_SCALE_TRACK), 38});
    }
    EXPECT_EQ(6u + 10u + editor + 397u, b.size());

    ASSERT_EQ(chunks.size(), expected.size());
    for (size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].path, expected[i].first) << "chunk " << i;
        EXPECT_EQ(chunks[i].length, expected[i].second) << "chunk " << i << " " << chunks[i].path;
    }
}

TEST(HeadModel, SkippedChunksHoldTheDesignedValues)
{
    std::vector<uint8_t> b = read_resource();
    ASSERT_FALSE(b.empty());
    std::vector<ChunkEntry> chunks;
    ASSERT_TRUE(list_chunks(b, 0, b.size(), "", &chunks));
    // The body of the nth chunk at `parent`/`id`.
    auto body = [&](const std::string& parent, uint16_t id, int nth = 0) {
        std::string path = child_path(parent, id);
        const ChunkEntry* c = find_chunk(chunks, path, nth);
        EXPECT_NE(c, nullptr) << path;
        return c ? c->offset + 6 : 0;
    };

    EXPECT_EQ(u32_at(b, body(MAIN, CHUNK_FILE_VERSION)), 3u);
    EXPECT_EQ(u32_at(b, body(EDITOR, CHUNK_MESH_VERSION)), 3u);
    EXPECT_EQ(float_at(b, body(EDITOR, CHUNK_MASTER_SCALE)), 1.0f);

    EXPECT_STREQ((const char*)&b[body(MATERIAL, CHUNK_MATERIAL_NAME)], MATERIAL_NAME);
    const uint8_t levels[3] = {102, 102, 255};
    for (int i = 0; i < 3; ++i) {
        size_t at = body(child_path(MATERIAL, COLOR_PROPERTIES[i]), CHUNK_COLOR_24);
        EXPECT_EQ(b[at], levels[i]) << COLOR_PROPERTIES[i];
        EXPECT_EQ(b[at + 1], levels[i]) << COLOR_PROPERTIES[i];
        EXPECT_EQ(b[at + 2], levels[i]) << COLOR_PROPERTIES[i];
    }
    for (uint16_t p : PERCENT_PROPERTIES) {
        uint16_t percent = p == CHUNK_MATERIAL_SHININESS ? 59 : 0;
        EXPECT_EQ(u16_at(b, body(child_path(MATERIAL, p), CHUNK_PERCENT_INT)), percent) << p;
    }
    EXPECT_EQ(u16_at(b, body(child_path(MATERIAL, CHUNK_MATERIAL_SELF_ILLUMINATION), CHUNK_PERCENT_INT)), 0u);
    EXPECT_EQ(u16_at(b, body(MATERIAL, CHUNK_MATERIAL_SHADING)), 1u);  // flat shading
    EXPECT_EQ(float_at(b, body(MATERIAL, CHUNK_MATERIAL_WIRE_SIZE)), 1.0f);

    // Names of 10 characters.
    EXPECT_STREQ((const char*)&b[body(EDITOR, CHUNK_NAMED_OBJECT, 0)], EMBLEM_NAME);
    EXPECT_STREQ((const char*)&b[body(EDITOR, CHUNK_NAMED_OBJECT, 1)], RIM_NAME);

    // Face flags: all three edges visible.
    for (int mesh = 0; mesh < 2; ++mesh) {
        size_t at = body(MESH, CHUNK_FACE_LIST, mesh);
        uint16_t count = u16_at(b, at);
        int other_flags = 0;
        for (uint16_t f = 0; f < count; ++f) other_flags += u16_at(b, at + 2 + 8 * f + 6) != FACE_EDGES_VISIBLE;
        EXPECT_EQ(other_flags, 0) << "mesh " << mesh;
    }

    // Keyframer header: revision 5, a scene name of 8 characters, 101 frames;
    // current frame 0.
    size_t header = body(KEYFRAMER, CHUNK_KEYFRAMER_HEADER);
    EXPECT_EQ(u16_at(b, header), 5u);
    EXPECT_STREQ((const char*)&b[header + 2], "HEADSCNE");
    EXPECT_EQ(u32_at(b, header + 11), 101u);
    EXPECT_EQ(u32_at(b, body(KEYFRAMER, CHUNK_KEYFRAMER_CURRENT_TIME)), 0u);

    // The node headers' second flags word, which the reader drops, and the
    // two unused words of every track header.
    for (int node = 0; node < 2; ++node) {
        size_t at = body(NODE, CHUNK_NODE_HEADER, node);
        EXPECT_EQ(u16_at(b, at + 11 + 2), 0u);
        for (uint16_t track : TRACKS) {
            size_t t = body(NODE, track, node);
            EXPECT_EQ(u32_at(b, t + 2), 0u) << track;
            EXPECT_EQ(u32_at(b, t + 6), 0u) << track;
            EXPECT_EQ(u32_at(b, t + 10), 1u) << track;
        }
    }
}

TEST(HeadModel, LoadsAsTwoMeshesWithOneMaterial)
{
    std::vector<uint8_t> bytes = read_resource();
    ASSERT_FALSE(bytes.empty());
    // The main chunk declares the file's size, which the saver passes as the
    // memory image's size.
    EXPECT_EQ(u32_at(bytes, 2), bytes.size());
    Loaded loaded = load_memory(bytes);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const Scene& scene = *loaded.scene;
    ASSERT_EQ(scene.mesh_count, 2);
    EXPECT_STREQ(scene.meshes[0].name, EMBLEM_NAME);
    EXPECT_STREQ(scene.meshes[1].name, RIM_NAME);
    EXPECT_EQ(scene.meshes[0].vertex_count, EMBLEM_VERTICES);
    EXPECT_EQ(scene.meshes[0].face_count, EMBLEM_FACES);
    EXPECT_EQ(scene.meshes[1].vertex_count, RIM_VERTICES);
    EXPECT_EQ(scene.meshes[1].face_count, RIM_FACES);
    ASSERT_EQ(scene.material_count, 1);
    EXPECT_STREQ(scene.materials[0].name, MATERIAL_NAME);
    EXPECT_EQ(scene.camera_count, 0);
    EXPECT_EQ(scene.light_count, 0);
    EXPECT_EQ(scene.first_frame, 0);
    EXPECT_EQ(scene.last_frame, 101);

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(scene.meshes[i].name);
        const Mesh& mesh = scene.meshes[i];
        int wrong_material = 0, smoothed = 0, off_map = 0;
        for (uint16_t f = 0; f < mesh.face_count; ++f) {
            wrong_material += mesh.faces[f].material != 0;
            smoothed += mesh.faces[f].smoothing != 0;
        }
        // Map coordinates: the square [-4.25, 4.25] of the medal's plane
        // (file x and z) onto [0, 1].
        for (uint16_t v = 0; v < mesh.vertex_count; ++v) {
            const Vertex& vertex = mesh.vertices[v];
            off_map += fabs(vertex.u - (vertex.position.x + 4.25) / 8.5) > 1e-6 ||
                       fabs(vertex.v - (vertex.position.z + 4.25) / 8.5) > 1e-6;
        }
        EXPECT_EQ(wrong_material, 0);
        EXPECT_EQ(smoothed, 0);  // faceted: no smoothing groups
        EXPECT_EQ(off_map, 0);
    }
}

TEST(HeadModel, KeyframeNodesAreNeutralAndReachTheirMeshes)
{
    Loaded loaded = load_resource();
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    ASSERT_EQ(loaded.scene->mesh_count, 2);
    for (int i = 0; i < 2; ++i) {
        const Mesh& mesh = loaded.scene->meshes[i];
        SCOPED_TRACE(mesh.name);
        EXPECT_EQ(mesh.node_id, i);
        EXPECT_EQ(mesh.parent_id, NO_PARENT);
        EXPECT_EQ(mesh.node_flags, OBJECT_NODE_FLAGS);
        EXPECT_EQ(mesh.has_children, 0);
        EXPECT_EQ(mesh.pivot.x, 0.0f);
        EXPECT_EQ(mesh.pivot.y, 0.0f);
        EXPECT_EQ(mesh.pivot.z, 0.0f);

        ASSERT_EQ(mesh.pos_key_count, 1);
        ASSERT_EQ(mesh.rot_key_count, 1);
        ASSERT_EQ(mesh.scale_key_count, 1);
        EXPECT_EQ(mesh.morph_key_count, 0);
        EXPECT_EQ(mesh.hide_key_count, 0);
        EXPECT_EQ(mesh.pos_track_flags, 0);
        EXPECT_EQ(mesh.rot_track_flags, 0);
        EXPECT_EQ(mesh.scale_track_flags, 0);

        const VectorKey& position = mesh.pos_keys[0];
        EXPECT_EQ(position.frame, 0);
        EXPECT_EQ(position.spline_flags, 0);
        EXPECT_EQ(position.value.x, 0.0f);
        EXPECT_EQ(position.value.y, 0.0f);
        EXPECT_EQ(position.value.z, 0.0f);

        // No rotation: angle 0 about the z axis.
        const RotationKey& rotation = mesh.rot_keys[0];
        EXPECT_EQ(rotation.frame, 0);
        EXPECT_EQ(rotation.spline_flags, 0);
        EXPECT_EQ(rotation.angle, 0.0f);
        EXPECT_EQ(rotation.axis.x, 0.0f);
        EXPECT_EQ(rotation.axis.y, 0.0f);
        EXPECT_EQ(rotation.axis.z, 1.0f);

        const VectorKey& scale = mesh.scale_keys[0];
        EXPECT_EQ(scale.frame, 0);
        EXPECT_EQ(scale.spline_flags, 0);
        EXPECT_EQ(scale.value.x, 1.0f);
        EXPECT_EQ(scale.value.y, 1.0f);
        EXPECT_EQ(scale.value.z, 1.0f);
    }
}

TEST(HeadModel, FramesGiveAnIdentityObjectMatrixOffByAThousandth)
{
    Loaded loaded = load_resource();
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, -0.001f, -0.001f, -0.001f};
    for (int i = 0; i < loaded.scene->mesh_count; ++i) {
        const Mesh& mesh = loaded.scene->meshes[i];
        SCOPED_TRACE(mesh.name);
        EXPECT_EQ(mesh.origin.x, 0.001f);
        EXPECT_EQ(mesh.origin.y, 0.001f);
        EXPECT_EQ(mesh.origin.z, 0.001f);
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(mesh.local_matrix[k], identity[k]) << "local, element " << k;
            EXPECT_EQ(mesh.object_matrix[k], identity[k]) << "object, element " << k;
        }
    }
}

// A vertex position in grid units of 1/4096 (every coordinate of the model
// is a multiple of that).
struct GridPosition {
    int64_t x, y, z;
    bool operator<(const GridPosition& o) const { return x != o.x ? x < o.x : y != o.y ? y < o.y : z < o.z; }
    bool operator==(const GridPosition& o) const { return x == o.x && y == o.y && z == o.z; }
};

bool to_grid(const Vec3& p, GridPosition* out)
{
    double x = p.x * 4096.0, y = p.y * 4096.0, z = p.z * 4096.0;
    out->x = (int64_t)x;
    out->y = (int64_t)y;
    out->z = (int64_t)z;
    return x == (double)out->x && y == (double)out->y && z == (double)out->z;
}

TEST(HeadModel, AfterTheAxisExchangeTheMedalFacesTheCamera)
{
    Loaded loaded = load_resource();
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    convert_scene_axes(loaded.scene);
    const Scene& scene = *loaded.scene;
    ASSERT_EQ(scene.mesh_count, 2);

    double outer_radius[2] = {0, 0}, top[2] = {-1, -1}, bottom[2] = {1, 1};
    for (int i = 0; i < 2; ++i) {
        const Mesh& mesh = scene.meshes[i];
        SCOPED_TRACE(mesh.name);
        int off_grid = 0, off_plane = 0, outside = 0;
        for (uint16_t v = 0; v < mesh.vertex_count; ++v) {
            const Vec3& p = mesh.vertices[v].position;
            GridPosition g;
            off_grid += !to_grid(p, &g);
            off_plane += !(fabs(p.z) <= 0.07);
            outside += !(fabs(p.x) <= 4.2 && fabs(p.y) <= 4.2);
            outer_radius[i] = fmax(outer_radius[i], sqrt((double)p.x * p.x + (double)p.y * p.y));
            top[i] = fmax(top[i], p.z);
            bottom[i] = fmin(bottom[i], p.z);
        }
        EXPECT_EQ(off_grid, 0);
        EXPECT_EQ(off_plane, 0);
        EXPECT_EQ(outside, 0);

        // Every face: corners in range, an area, counter-clockwise seen
        // from the camera's side (+z), and no two faces on the same corners.
        int out_of_range = 0, flat = 0, facing_away = 0, duplicates = 0;
        std::set<std::array<uint16_t, 3>> corner_sets;
        for (uint16_t f = 0; f < mesh.face_count; ++f) {
            const uint16_t* c = mesh.faces[f].vertex;
            if (c[0] >= mesh.vertex_count || c[1] >= mesh.vertex_count || c[2] >= mesh.vertex_count) {
                ++out_of_range;
                continue;
            }
            const Vec3& p0 = mesh.vertices[c[0]].position;
            const Vec3& p1 = mesh.vertices[c[1]].position;
            const Vec3& p2 = mesh.vertices[c[2]].position;
            float e1[3] = {p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
            float e2[3] = {p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
            float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
            flat += !(sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) > 1e-7f);
            facing_away += !(n[2] > 0);
            std::array<uint16_t, 3> key = {c[0], c[1], c[2]};
            std::sort(key.begin(), key.end());
            duplicates += !corner_sets.insert(key).second;
        }
        EXPECT_EQ(out_of_range, 0);
        EXPECT_EQ(flat, 0);
        EXPECT_EQ(facing_away, 0);
        EXPECT_EQ(duplicates, 0);
    }
    // The emblem fills the disc inside the rim; the rim is a ring of outer
    // radius about 4.
    EXPECT_NEAR(outer_radius[0], 3.45, 0.001);
    EXPECT_NEAR(outer_radius[1], 4.05, 0.001);
    // The emblem's raised parts stand towards the camera above the sunken
    // field; the rim rises to the same height.
    EXPECT_NEAR(top[0], 0.068, 0.001);
    EXPECT_NEAR(bottom[0], -0.03, 0.001);
    EXPECT_NEAR(top[1], 0.066, 0.001);
    EXPECT_NEAR(bottom[1], -0.065, 0.001);
}

TEST(HeadModel, FacesTileTheDiscWithoutCracksOrOverlaps)
{
    Loaded loaded = load_resource();
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    convert_scene_axes(loaded.scene);
    const Scene& scene = *loaded.scene;
    ASSERT_EQ(scene.mesh_count, 2);

    // Directed edges of both meshes by position; twice the shadow area of
    // every face on the plane z = 0, in grid units (exact).
    std::map<std::pair<GridPosition, GridPosition>, int> edges;
    int64_t face_area2 = 0;
    for (int i = 0; i < 2; ++i) {
        const Mesh& mesh = scene.meshes[i];
        for (uint16_t f = 0; f < mesh.face_count; ++f) {
            GridPosition g[3];
            for (int k = 0; k < 3; ++k) ASSERT_TRUE(to_grid(mesh.vertices[mesh.faces[f].vertex[k]].position, &g[k]));
            face_area2 += (g[1].x - g[0].x) * (g[2].y - g[0].y) - (g[1].y - g[0].y) * (g[2].x - g[0].x);
            for (int k = 0; k < 3; ++k) ++edges[{g[k], g[(k + 1) % 3]}];
        }
    }
    // Every edge is run once in each direction by two faces, except the
    // rim's outer edge, which is run once, counter-clockwise.
    int repeated = 0, open_inside = 0, outer_edges = 0;
    int64_t outline_area2 = 0;
    const double outer_edge = 4.0 * 4096;
    for (const auto& e : edges) {
        repeated += e.second != 1;
        if (edges.count({e.first.second, e.first.first})) continue;
        const GridPosition& a = e.first.first;
        const GridPosition& b = e.first.second;
        if (hypot((double)a.x, (double)a.y) < outer_edge || hypot((double)b.x, (double)b.y) < outer_edge) {
            ++open_inside;
            continue;
        }
        ++outer_edges;
        outline_area2 += a.x * b.y - a.y * b.x;
    }
    EXPECT_EQ(repeated, 0);
    EXPECT_EQ(open_inside, 0);
    EXPECT_EQ(outer_edges, 160);
    // The faces' shadows add up to exactly the area inside the outer edge:
    // they cover the disc once, with no overlap.
    EXPECT_EQ(face_area2, outline_area2);
    EXPECT_GT(outline_area2, 0);
}

}  // namespace
