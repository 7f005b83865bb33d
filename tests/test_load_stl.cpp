// The STL reader: binary and ASCII, colours, meshes, limits, refusals.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "load_stl.h"
#include "model_test_support.h"

namespace {

struct Triangle {
    float corners[9];
    uint16_t attribute;
};

const Triangle RED_VISCAM = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, 0x8000 | (31 << 10)};
const Triangle PLAIN = {{0, 0, 1, 1, 0, 1, 0, 1, 1}, 0};

// A binary STL file: header (80 bytes, from header_text), count, records.
std::vector<uint8_t> binary_stl(const std::vector<Triangle>& triangles, const char* header_text = "binary")
{
    std::vector<uint8_t> bytes(84 + 50 * triangles.size(), 0);
    memcpy(bytes.data(), header_text, strlen(header_text));
    uint32_t count = (uint32_t)triangles.size();
    memcpy(&bytes[80], &count, 4);
    for (size_t t = 0; t < triangles.size(); ++t) {
        memcpy(&bytes[84 + 50 * t + 12], triangles[t].corners, 36);
        memcpy(&bytes[84 + 50 * t + 48], &triangles[t].attribute, 2);
    }
    return bytes;
}

std::vector<uint8_t> text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

struct Loaded : ReadModel {
    explicit Loaded(const std::vector<uint8_t>& bytes, size_t size = SIZE_MAX)
    {
        scene = load_stl(bytes.data(), size == SIZE_MAX ? bytes.size() : size, why, sizeof why);
    }
};

TEST(LoadStl, BothFormsGiveTheirTriangles)
{
    const std::string ascii_facet =
        "  facet normal 0 0 1\n    outer loop\n      vertex 0 0 1\n      vertex 1 0 1\n      vertex 0 1 1\n"
        "    endloop\n  endfacet\n";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"binary", binary_stl({PLAIN})},
        {"binary whose header begins with solid", binary_stl({PLAIN}, "solid part")},
        {"ASCII", text("solid part\n" + ascii_facet + "endsolid part\n")},
        {"ASCII, numbers in other forms", text("solid\nfacet normal 0 0 1 outer loop vertex 0e0 0 1.0 vertex 1 -0 1 "
                                               "vertex 0 +1 10e-1 endloop endfacet endsolid")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded loaded(c.bytes);
        ASSERT_NE(loaded.scene, nullptr) << loaded.why;
        ASSERT_EQ(loaded.scene->mesh_count, 1);
        EXPECT_EQ(loaded.scene->meshes[0].face_count, 1);
        EXPECT_EQ(loaded.scene->meshes[0].vertex_count, 3);
        for (int k = 0; k < 3; ++k) {
            Vec3 p = loaded.corner(0, k);
            EXPECT_EQ(p.x, PLAIN.corners[3 * k]);
            EXPECT_EQ(p.y, PLAIN.corners[3 * k + 1]);
            EXPECT_EQ(p.z, PLAIN.corners[3 * k + 2]);
        }
        EXPECT_EQ(loaded.scene->meshes[0].faces[0].material, 0);
    }
}

TEST(LoadStl, AsciiLoopOfFourCornersIsAFanOfTwo)
{
    Loaded loaded(
        text("solid q\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\n"
             "vertex 0 1 0\nendloop\nendfacet\nendsolid q\n"));
    ASSERT_NE(loaded.scene, nullptr) << loaded.why;
    ASSERT_EQ(loaded.scene->meshes[0].face_count, 2);
    EXPECT_EQ(loaded.corner(1, 0).x, 0.0f);
    EXPECT_EQ(loaded.corner(1, 1).y, 1.0f);  // (1, 1): the third corner
    EXPECT_EQ(loaded.corner(1, 2).x, 0.0f);  // (0, 1): the fourth
    EXPECT_EQ(loaded.corner(1, 2).y, 1.0f);
}

TEST(LoadStl, FaceColoursOfEitherConventionBecomeMaterials)
{
    // VisCAM: bit 15 set marks a colour, blue in the low bits. Magics (a
    // header with COLOR=): bit 15 clear marks one, red in the low bits, and
    // the header's colour is the faces' without one.
    const Triangle green_magics = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, 31 << 5};
    const Triangle unmarked_magics = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, 0x8000};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> materials;          // of each face
        std::vector<std::vector<float>> diffuse;  // of each material
    };
    const float grey = MATERIAL_DEFAULT_DIFFUSE;
    const Case cases[] = {
        {"VisCAM", binary_stl({RED_VISCAM, PLAIN, RED_VISCAM}), {1, 0, 1}, {{grey, grey, grey}, {1, 0, 0}}},
        {"Magics",
         binary_stl({green_magics, unmarked_magics}, "COLOR=\x33\x66\x99\xff"),
         {1, 0},
         {{0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f}, {0, 1, 0}}},
        {"Magics, red in the low bits, a black header colour",
         binary_stl({{{0, 0, 0, 1, 0, 0, 0, 1, 0}, 31}}, "xCOLOR="),
         {1},
         {{0, 0, 0}, {1, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded loaded(c.bytes);
        ASSERT_NE(loaded.scene, nullptr) << loaded.why;
        ASSERT_EQ(loaded.scene->material_count, (int32_t)c.diffuse.size());
        for (size_t f = 0; f < c.materials.size(); ++f)
            EXPECT_EQ(loaded.scene->meshes[0].faces[f].material, c.materials[f]);
        for (size_t m = 0; m < c.diffuse.size(); ++m)
            for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(loaded.scene->materials[m].diffuse[i], c.diffuse[m][i]) << m;
    }
}

TEST(LoadStl, ManyTrianglesFillMeshesOfSixteenBitCounts)
{
    Loaded loaded(binary_stl(std::vector<Triangle>(STL_MESH_MAX_FACES + 1, PLAIN)));
    ASSERT_NE(loaded.scene, nullptr) << loaded.why;
    ASSERT_EQ(loaded.scene->mesh_count, 2);
    EXPECT_EQ(loaded.scene->meshes[0].face_count, STL_MESH_MAX_FACES);
    EXPECT_EQ(loaded.scene->meshes[0].vertex_count, 3 * STL_MESH_MAX_FACES);
    EXPECT_EQ(loaded.scene->meshes[1].face_count, 1);
    EXPECT_EQ(loaded.corner(0, 2, 1).y, 1.0f);
}

TEST(LoadStl, DamagedOrOversizedFilesAreRefusedWithAReason)
{
    std::vector<uint8_t> short_by_one = binary_stl({PLAIN, PLAIN});
    short_by_one.pop_back();
    std::vector<uint8_t> too_many = binary_stl({});
    const uint32_t over = STL_MAX_TRIANGLES + 1;
    memcpy(&too_many[80], &over, 4);
    Triangle nan_corner = PLAIN;
    nan_corner.corners[4] = NAN;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        size_t size;  // SIZE_MAX: the bytes' own
        const char* why;
    };
    const Case cases[] = {
        {"binary cut short", short_by_one, SIZE_MAX,
         "the binary STL file's size does not match its count of triangles"},
        {"too short for a header", text("abc"), SIZE_MAX, "the STL file is too short for its header"},
        {"more triangles than the limit", too_many, SIZE_MAX, "the STL file holds more than 10000000 triangles"},
        {"larger than the limit", binary_stl({PLAIN}), (size_t)STL_MAX_FILE_BYTES + 1,
         "the STL file is larger than 256 MB"},
        {"not a finite number", binary_stl({nan_corner}), SIZE_MAX,
         "the STL file holds a coordinate that is not a finite number"},
        {"no triangles", binary_stl({}), SIZE_MAX, "the STL file holds no triangles"},
        {"ASCII without facets", text("solid empty\nendsolid empty\n"), SIZE_MAX, "the STL file holds no triangles"},
        {"ASCII vertex not a number", text("solid x\nfacet\nouter loop\nvertex 0 0 0\nvertex 1 z 0\n"), SIZE_MAX,
         "the ASCII STL file has a vertex without three numbers (line 5)"},
        {"ASCII vertex cut short", text("solid x\nfacet\nouter loop\nvertex 0 0"), SIZE_MAX,
         "the ASCII STL file has a vertex without three numbers (line 4)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded loaded(c.bytes, c.size);
        EXPECT_EQ(loaded.scene, nullptr);
        EXPECT_STREQ(loaded.why, c.why);
    }
}

}  // namespace
