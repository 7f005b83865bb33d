// The OBJ reader with its material libraries, and the one door to every
// reader: the format chosen by a file's content, then its name; each
// format stood on the view's up axis and fitted.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "load_obj.h"
#include "model_choice.h"
#include "model_test_support.h"

namespace {

// A folder of its own, "model" inside it, for the files a test writes;
// removed with everything in it at the end.
struct Folder {
    std::string path;
    Folder()
    {
        namespace fs = std::filesystem;
        for (int n = 0; path.empty(); ++n) {
            fs::path candidate =
                fs::temp_directory_path() / ("head-models-" + std::to_string(rand()) + "-" + std::to_string(n));
            if (fs::create_directory(candidate)) path = candidate.string();
        }
        std::filesystem::create_directory(path + "/model");
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    // Writes text as the file at name (relative to the folder).
    std::string write(const std::string& name, const std::string& text)
    {
        std::string file = path + "/" + name;
        FILE* f = fopen(file.c_str(), "wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        return file;
    }
};

FILE* open_for_test(const char* path, char* why, size_t why_size)
{
    FILE* file = fopen(path, "rb");
    if (!file) snprintf(why, why_size, "cannot open");
    return file;
}

struct Loaded : ReadModel {
    explicit Loaded(const std::string& path) { scene = load_users_model(path.c_str(), open_for_test, why, sizeof why); }
};

const char QUAD_MTL[] =
    "newmtl Wood\nKd 0.8 0.4 0.2\nKs 0.5 0.5 0.5\nNs 64\nd 0.75\nmap_Kd -s 2 3 1 -o 0.25 0.5 0 maps/wood.png\n"
    "newmtl Glass\nKd 0 0 1\nTr 0.9\n";

// A textured quad of the Wood material, a triangle of Glass smoothed with
// the quad, and a triangle of no material.
const char QUAD_OBJ[] =
    "# a quad\nmtllib quad.mtl\no Quad\nv 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "s 1\nusemtl Wood\nf 1/1 2/2 3/3 4/4\nusemtl Glass\nf 1 3 4\ns off\nusemtl Nowhere\nf 1 2 3\n";

TEST(LoadObj, FacesMaterialsAndMapCoordinatesBecomeTheScene)
{
    Folder folder;
    folder.write("model/quad.mtl", QUAD_MTL);
    Loaded loaded(folder.write("model/quad.obj", QUAD_OBJ));
    ASSERT_NE(loaded.scene, nullptr) << loaded.why;
    const Scene& s = *loaded.scene;
    ASSERT_EQ(s.material_count, 3);
    const Material& wood = s.materials[1];
    EXPECT_STREQ(wood.name, "Wood");
    EXPECT_FLOAT_EQ(wood.diffuse[0], 0.8f);
    EXPECT_FLOAT_EQ(wood.diffuse[2], 0.2f);
    EXPECT_FLOAT_EQ(wood.specular[1], 0.5f);
    EXPECT_FLOAT_EQ(wood.shininess, 0.5f);
    EXPECT_FLOAT_EQ(wood.transparency, 0.25f);
    EXPECT_STREQ(wood.texture_file, "maps/wood.png");
    EXPECT_FLOAT_EQ(wood.texture_scale[1], 3.0f);
    EXPECT_FLOAT_EQ(wood.texture_offset[0], 0.25f);
    EXPECT_FLOAT_EQ(s.materials[2].transparency, 0.9f);
    EXPECT_EQ(s.materials[2].texture_file[0], '\0');

    ASSERT_EQ(s.mesh_count, 1);
    const Mesh& m = s.meshes[0];
    ASSERT_EQ(m.face_count, 4);
    const uint16_t materials[] = {1, 1, 2, 0};
    for (int f = 0; f < 4; ++f) EXPECT_EQ(m.faces[f].material, materials[f]) << f;
    EXPECT_NE(m.faces[0].smoothing & m.faces[2].smoothing, 0u);
    EXPECT_EQ(m.faces[3].smoothing, 0u);
    // The quad's four corners with their map coordinates; the corners
    // without map coordinates are vertices of their own, shared by the two
    // triangles that use them.
    ASSERT_EQ(m.vertex_count, 4 + 3 + 1);
    for (int k = 0; k < 3; ++k) {
        const Vertex& v = m.vertices[m.faces[0].vertex[k]];
        EXPECT_EQ(v.u, v.position.x > 0 ? 1.0f : 0.0f);
    }
}

TEST(LoadObj, MaterialLibraryOutsideTheModelsFolderIsNeverOpened)
{
    Folder folder;
    folder.write("secret.mtl", "newmtl Wood\nKd 1 0 0\n");
    for (const char* name : {"../secret.mtl", "model/../../secret.mtl"}) {
        Loaded loaded(folder.write("model/quad.obj", std::string("mtllib ") + name +
                                                         "\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                                         "usemtl Wood\nf 1 2 3\n"));
        ASSERT_NE(loaded.scene, nullptr) << loaded.why;
        EXPECT_EQ(loaded.scene->material_count, 1) << name;
    }
}

TEST(LoadObj, DamagedFilesAreRefusedWithAReason)
{
    struct Case {
        const char* obj;
        const char* why;
    };
    const Case cases[] = {
        {"v 0 0 0\nv 1 0 0\nf 1 2 3\n", "the OBJ file has a face whose vertex index is out of range"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/2 3/1\n",
         "the OBJ file has a face whose map coordinate index is out of range"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\n", "the OBJ file holds no faces"},
        {"v 0 0 1e999\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "the OBJ file holds a coordinate that is not a finite number"},
    };
    for (const Case& c : cases) {
        char why[128] = "";
        Scene* scene = load_obj((const uint8_t*)c.obj, strlen(c.obj), nullptr, nullptr, why, sizeof why);
        EXPECT_EQ(scene, nullptr) << c.obj;
        EXPECT_STREQ(why, c.why) << c.obj;
        free_scene(scene);
    }
}

TEST(ModelFormat, ContentFirstThenTheName)
{
    std::vector<uint8_t> binary_stl(84 + 50, 0);
    binary_stl[80] = 1;
    std::vector<uint8_t> like_3ds = binary_stl;
    like_3ds[0] = like_3ds[1] = 0x4D;
    auto text = [](const char* t) { return std::vector<uint8_t>(t, t + strlen(t)); };
    struct Case {
        const char* what;
        std::vector<uint8_t> head;
        uint64_t size;  // 0: the head's
        const char* name;
        ModelFormat format;
    };
    const Case cases[] = {
        {"binary STL", binary_stl, 0, "part.bin", MODEL_STL},
        {"binary STL one byte longer", binary_stl, 84 + 51, "part.bin", MODEL_3DS},
        {"... named .STL", binary_stl, 84 + 51, "PART.STL", MODEL_STL},
        {"a 3DS main chunk first", like_3ds, 0, "part.stl", MODEL_3DS},
        {"ASCII STL", text("  solid x\n"), 4000, "x", MODEL_STL},
        {"OBJ", text("# made by hand\n\nv 1 2 3\n"), 0, "x.dat", MODEL_OBJ},
        {"OBJ whose first statement is cut off", text("# c\nmtllib"), 5000, "x.dat", MODEL_OBJ},
        {"OBJ head of comments, named .obj", text("# a\n# b\n"), 5000, "x.Obj", MODEL_OBJ},
        {"head of comments, another name", text("# a\n# b\n"), 5000, "x.3ds", MODEL_3DS},
        {"text that is no OBJ", text("hello world\n"), 0, "x.obj", MODEL_3DS},
        {"binary bytes", text("v 1\x01"), 0, "x.obj", MODEL_3DS},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(model_format(c.head.data(), c.head.size(), c.size ? c.size : c.head.size(), c.name), c.format)
            << c.what;
    }
}

// The extent of the scene's vertices along each axis.
Vec3 extent(const Scene* s)
{
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (int32_t i = 0; i < s->mesh_count; ++i) {
        for (int v = 0; v < s->meshes[i].vertex_count; ++v) {
            const Vec3& p = s->meshes[i].vertices[v].position;
            const float xyz[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) low[a] = fminf(low[a], xyz[a]), high[a] = fmaxf(high[a], xyz[a]);
        }
    }
    return Vec3{high[0] - low[0], high[1] - low[1], high[2] - low[2]};
}

// A glTF file whose buffer is the file at uri, with one triangle.
std::string gltf_naming(const std::string& uri)
{
    return R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":36,"uri":")" + uri +
           R"("}],"bufferViews":[{"buffer":0,"byteLength":36}],
        "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],
        "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}]})";
}

TEST(ModelFormat, EachFormatStandsOnTheViewsUpAxis)
{
    // A triangle twice as tall as wide along the file's up axis: Z for STL,
    // Y for OBJ and glTF (whose buffer lies beside it); the view's up is Y.
    const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 0, 2};
    const float y_up[9] = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    std::string stl(84 + 50, '\0');
    stl[80] = 1;
    memcpy(&stl[84 + 12], corners, sizeof corners);
    Folder folder;
    folder.write("model/tall.bin", std::string((const char*)y_up, sizeof y_up));
    for (const std::string& path :
         {folder.write("model/tall.stl", stl), folder.write("model/tall.obj", "v 0 0 0\nv 1 0 0\nv 0 2 0\nf 1 2 3\n"),
          folder.write("model/tall.gltf", gltf_naming("tall.bin"))}) {
        Loaded loaded(path);
        ASSERT_NE(loaded.scene, nullptr) << path << ": " << loaded.why;
        Vec3 size = extent(loaded.scene);
        EXPECT_FLOAT_EQ(size.y, 2 * size.x) << path;
        EXPECT_EQ(size.z, 0.0f) << path;
    }
}

TEST(ModelFormat, BufferOutsideTheModelsFolderIsNeverOpened)
{
    Folder folder;
    const float y_up[9] = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    folder.write("outside.bin", std::string((const char*)y_up, sizeof y_up));
    for (const char* uri : {"../outside.bin", "sub/../../outside.bin"}) {
        Loaded loaded(folder.write("model/tall.gltf", gltf_naming(uri)));
        EXPECT_EQ(loaded.scene, nullptr) << uri;
        EXPECT_NE(strstr(loaded.why, "could not be read"), nullptr) << loaded.why;
    }
}

}  // namespace
