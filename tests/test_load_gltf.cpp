// The glTF reader: both forms, node transforms down the tree, primitives
// of each kind, accessors of each sort, materials, and the refusals.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "load_gltf.h"
#include "model_test_support.h"

namespace {

std::string base64(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = (uint32_t)bytes[i] << 16 | (n > 1 ? bytes[i + 1] << 8 : 0) | (n > 2 ? bytes[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k) out += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// Little-endian bytes of the values, each of type T.
template <typename T>
std::vector<uint8_t> bytes_of(const std::vector<T>& values)
{
    std::vector<uint8_t> out(values.size() * sizeof(T));
    memcpy(out.data(), values.data(), out.size());
    return out;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Three corners of a right triangle, 36 bytes: (0,0,0), (1,0,0), (0,1,0).
const std::vector<float> TRIANGLE = {0, 0, 0, 1, 0, 0, 0, 1, 0};

// A glTF file of one buffer (a data URI of data) and the JSON members given
// (accessors, bufferViews, meshes, nodes, scenes... after a comma).
std::string gltf(const std::vector<uint8_t>& data, const std::string& members)
{
    return R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":)" + std::to_string(data.size()) +
           R"(,"uri":"data:application/octet-stream;base64,)" + base64(data) + "\"}]," + members + "}";
}

// One mesh of one triangle primitive on one node of the scene.
const std::string ONE_TRIANGLE =
    R"("bufferViews":[{"buffer":0,"byteLength":36}],
       "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],
       "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
       "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])";

struct Loaded : ReadModel {
    explicit Loaded(const std::string& text, OpenNamedFile open = nullptr)
    {
        scene = load_gltf((const uint8_t*)text.data(), text.size(), open, nullptr, why, sizeof why);
    }
};

TEST(LoadGltf, BothFormsGiveTheTriangle)
{
    // The text form with its buffer in a data URI; the binary form with
    // its buffer in its second chunk.
    std::string json = R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":36}],)" + ONE_TRIANGLE + "}";
    while (json.size() % 4) json += ' ';
    std::vector<uint8_t> bin = bytes_of(TRIANGLE);
    std::vector<uint32_t> header = {0x46546C67, 2, (uint32_t)(12 + 8 + json.size() + 8 + bin.size()),
                                    (uint32_t)json.size(), 0x4E4F534A};
    std::vector<uint8_t> glb = bytes_of(header) + std::vector<uint8_t>(json.begin(), json.end()) +
                               bytes_of(std::vector<uint32_t>{(uint32_t)bin.size(), 0x004E4942}) + bin;
    for (const std::string& file : {gltf(bin, ONE_TRIANGLE), std::string(glb.begin(), glb.end())}) {
        Loaded loaded(file);
        ASSERT_NE(loaded.scene, nullptr) << loaded.why;
        ASSERT_EQ(loaded.scene->mesh_count, 1);
        ASSERT_EQ(loaded.scene->meshes[0].face_count, 1);
        expect_near(loaded.corner(0, 1), 1, 0, 0);
        expect_near(loaded.corner(0, 2), 0, 1, 0);
        EXPECT_EQ(loaded.scene->meshes[0].faces[0].material, 0);
    }
}

TEST(LoadGltf, NodeTransformsComposeDownTheTree)
{
    // The parent moves by (10, 0, 0) and doubles; the child turns a quarter
    // about Z (as a quaternion) or, the second time, by the same as a matrix.
    const std::string nodes[] = {
        R"("nodes":[{"translation":[10,0,0],"scale":[2,2,2],"children":[1]},
                    {"rotation":[0,0,0.70710678,0.70710678],"mesh":0}])",
        R"("nodes":[{"matrix":[2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1],"children":[1]},
                    {"matrix":[0,1,0,0, -1,0,0,0, 0,0,1,0, 0,0,0,1],"mesh":0}])"};
    for (const std::string& n : nodes) {
        Loaded loaded(gltf(bytes_of(TRIANGLE), R"("bufferViews":[{"buffer":0,"byteLength":36}],
            "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],
            "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"scenes":[{"nodes":[0]}],)" +
                                                   n));
        ASSERT_NE(loaded.scene, nullptr) << loaded.why;
        expect_near(loaded.corner(0, 0), 10, 0, 0);
        expect_near(loaded.corner(0, 1), 10, 2, 0);  // (1,0,0) turned to (0,1,0), doubled, moved
        expect_near(loaded.corner(0, 2), 8, 0, 0);   // (0,1,0) turned to (-1,0,0)
    }
}

TEST(LoadGltf, StripsFansIndicesAndAccessorsOfEverySort)
{
    // Four corners of a unit square; indices as unsigned shorts; map
    // coordinates as normalized unsigned bytes; a sparse accessor that
    // moves corner 2 to (5, 5, 0).
    const std::vector<float> square = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    const std::vector<uint16_t> order = {0, 1, 2, 3};
    const std::vector<uint8_t> map = {0, 0, 255, 0, 0, 255, 255, 255};
    const std::vector<uint8_t> data = bytes_of(square) + bytes_of(order) + map +
                                      bytes_of(std::vector<uint8_t>{2, 0, 0, 0}) +
                                      bytes_of(std::vector<float>{5, 5, 0});
    const std::string members =
        R"("bufferViews":[{"buffer":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":8},
         {"buffer":0,"byteOffset":56,"byteLength":8},{"buffer":0,"byteOffset":64,"byteLength":4},
         {"buffer":0,"byteOffset":68,"byteLength":12}],
       "accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"},
         {"bufferView":1,"componentType":5123,"count":4,"type":"SCALAR"},
         {"bufferView":2,"componentType":5121,"normalized":true,"count":4,"type":"VEC2"},
         {"bufferView":0,"componentType":5126,"count":4,"type":"VEC3",
          "sparse":{"count":1,"indices":{"bufferView":3,"componentType":5121},"values":{"bufferView":4}}}],
       "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],
       "meshes":[{"primitives":[)";
    struct Case {
        const char* what;
        std::string primitive;
        int faces;
        Vec3 second_face_last;  // the last corner of the second face
    };
    const Case cases[] = {
        {"strip", R"({"attributes":{"POSITION":0,"TEXCOORD_0":2},"indices":1,"mode":5})", 2, {1, 1, 0}},
        {"fan, with normals", R"({"attributes":{"POSITION":0,"NORMAL":0},"indices":1,"mode":6})", 2, {1, 1, 0}},
        {"triangles, a corner left over", R"({"attributes":{"POSITION":0},"mode":4})", 1, {0, 0, 0}},
        {"points are not drawn",
         R"({"attributes":{"POSITION":0},"mode":0},{"attributes":{"POSITION":3}})",
         1,
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded loaded(gltf(data, members + c.primitive + "]}]"));
        ASSERT_NE(loaded.scene, nullptr) << loaded.why;
        ASSERT_EQ(loaded.scene->meshes[0].face_count, c.faces);
        if (c.faces == 2) expect_near(loaded.corner(1, 2), c.second_face_last.x, c.second_face_last.y, 0);
        if (std::string(c.what) == "strip") {
            // The strip's second triangle turns round: (2, 1, 3).
            expect_near(loaded.corner(1, 0), 0, 1, 0);
            const Vertex& v = loaded.scene->meshes[0].vertices[loaded.scene->meshes[0].faces[1].vertex[2]];
            EXPECT_FLOAT_EQ(v.u, 1.0f);
            EXPECT_FLOAT_EQ(v.v, 0.0f);  // glTF's v of 1, drawn from the bottom up
        }
        if (std::string(c.what) == "points are not drawn") expect_near(loaded.corner(0, 2), 5, 5, 0);
        // Faces are smooth where the file gives normals, else flat.
        EXPECT_EQ(loaded.scene->meshes[0].faces[0].smoothing, std::string(c.what) == "fan, with normals" ? 1u : 0u);
    }
}

TEST(LoadGltf, MaterialsGiveColourTransparencySidesAndTexture)
{
    Loaded loaded(gltf(bytes_of(TRIANGLE), R"("bufferViews":[{"buffer":0,"byteLength":36}],
       "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],
       "images":[{"uri":"maps/wood%20grain.png"}],"textures":[{"source":0}],
       "materials":[{"name":"Glass","alphaMode":"BLEND","doubleSided":true,
         "pbrMetallicRoughness":{"baseColorFactor":[0.2,0.4,0.6,0.25],
           "baseColorTexture":{"index":0,"extensions":{"KHR_texture_transform":{"offset":[0.5,0.25],"scale":[2,3]}}}}},
         {"extensions":{"KHR_materials_pbrSpecularGlossiness":{"diffuseFactor":[1,0,0,0.5]}}}],
       "meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0},{"attributes":{"POSITION":0},"material":1}]}],
       "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])"));
    ASSERT_NE(loaded.scene, nullptr) << loaded.why;
    ASSERT_EQ(loaded.scene->material_count, 3);
    const Material& glass = loaded.scene->materials[1];
    EXPECT_STREQ(glass.name, "Glass");
    EXPECT_FLOAT_EQ(glass.diffuse[1], 0.4f);
    EXPECT_FLOAT_EQ(glass.transparency, 0.75f);
    EXPECT_EQ(glass.two_sided, 1);
    EXPECT_STREQ(glass.texture_file, "maps/wood grain.png");
    EXPECT_FLOAT_EQ(glass.texture_scale[0], 2.0f);
    EXPECT_FLOAT_EQ(glass.texture_offset[0], 0.5f);
    EXPECT_FLOAT_EQ(glass.texture_scale[1], 3.0f);
    EXPECT_FLOAT_EQ(glass.texture_offset[1], 1.0f - 0.25f - 3.0f);
    const Material& red = loaded.scene->materials[2];
    EXPECT_FLOAT_EQ(red.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(red.diffuse[1], 0.0f);
    EXPECT_FLOAT_EQ(red.transparency, 0.0f);  // opaque: alpha counts only when blended
    EXPECT_EQ(loaded.scene->meshes[0].faces[1].material, 2);
}

TEST(LoadGltf, ImagesTheFileCarriesAreKeptEncodedInTheMaterial)
{
    // The "image" is any bytes: the reader keeps them as they are, and
    // drawing decodes them. One in a data URI, one in a buffer view.
    const std::vector<uint8_t> image = {'B', 'M', 1, 2, 3, 4, 5};
    const std::string members =
        R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":7}],
       "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],
       "images":[{"uri":"data:image/bmp;base64,)" +
        base64(image) + R"("},{"bufferView":1,"mimeType":"image/png"}],"textures":[{"source":0},{"source":1}],
       "materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}},
                    {"pbrMetallicRoughness":{"baseColorTexture":{"index":1}}}],
       "meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0}]}],
       "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])";
    Loaded loaded(gltf(bytes_of(TRIANGLE) + image, members));
    ASSERT_NE(loaded.scene, nullptr) << loaded.why;
    for (int m = 1; m <= 2; ++m) {
        const Material& material = loaded.scene->materials[m];
        EXPECT_EQ(material.texture_file[0], '\0');
        ASSERT_EQ(material.texture_image_size, image.size()) << m;
        EXPECT_EQ(memcmp(material.texture_image, image.data(), image.size()), 0) << m;
    }
    // A buffer view past its buffer's end is refused, not read.
    std::string outside = members;
    outside.replace(outside.find("\"byteLength\":7"), 15, "\"byteLength\":70");
    Loaded refused(gltf(bytes_of(TRIANGLE) + image, outside));
    EXPECT_EQ(refused.scene, nullptr);
}

FILE* open_nothing(const char*, void*) { return nullptr; }

TEST(LoadGltf, DamagedOrUnreadableFilesAreRefusedWithAReason)
{
    const std::string view = R"("bufferViews":[{"buffer":0,"byteLength":36}],)";
    const std::string mesh = R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)";
    const std::string accessor = R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],)";
    struct Case {
        const char* what;
        std::string text;
        const char* why;  // the reason's start
    };
    const Case cases[] = {
        {"a cycle",
         gltf(bytes_of(TRIANGLE),
              view + accessor + mesh +
                  R"("nodes":[{"children":[1]},{"children":[0],"mesh":0}],"scenes":[{"nodes":[0]}])"),
         "the glTF file's node tree has a cycle"},
        {"a missing buffer",
         R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":36,"uri":"missing.bin"}],)" + view + accessor + mesh +
             R"("nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}]})",
         "the glTF file could not be read"},
        {"an accessor past its buffer",
         gltf(bytes_of(TRIANGLE),
              view + R"("accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"}],)" + mesh +
                  R"("nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])"),
         "the glTF file"},
        {"an index out of range",
         gltf(bytes_of(TRIANGLE) + bytes_of(std::vector<uint16_t>{0, 1, 3, 0}),
              R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":6}],
                 "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
                              {"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"}],
                 "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],
                 "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])"),
         "the glTF file has an index out of range"},
        {"a value of the wrong JSON type",
         gltf(bytes_of(TRIANGLE),
              view + R"("accessors":[{"bufferView":0,"componentType":5126,"count":"3","type":"VEC3"}],)" + mesh +
                  R"("nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])"),
         "the glTF file could not be read"},
        {"nothing to draw",
         gltf(bytes_of(TRIANGLE), view + accessor + mesh + R"("nodes":[{}],"scenes":[{"nodes":[0]}])"),
         "the glTF file has no triangles to draw"},
        {"no scene", gltf(bytes_of(TRIANGLE), view + accessor + mesh + R"("nodes":[{"mesh":0}])"),
         "the glTF file has no scene to draw"},
        {"Draco",
         gltf(
             bytes_of(TRIANGLE),
             R"("extensionsUsed":["KHR_draco_mesh_compression"],"extensionsRequired":["KHR_draco_mesh_compression"],)" +
                 ONE_TRIANGLE.substr(0)),
         "the glTF file's meshes are compressed"},
        {"not JSON", "{\"asset\":", "the glTF file could not be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded loaded(c.text, open_nothing);
        EXPECT_EQ(loaded.scene, nullptr);
        EXPECT_EQ(std::string(loaded.why).compare(0, strlen(c.why), c.why), 0) << loaded.why;
    }
}

}  // namespace
