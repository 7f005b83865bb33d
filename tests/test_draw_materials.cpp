// test_draw_materials.cpp - g_scene drawn as its file says (LOOK_AS_FILE):
// material colours, highlights, smoothing groups, one- and two-sided
// lighting, transparency and texture images (found inside the model's
// folder only, mapped by their scale and offset, no larger than GL allows),
// seen in the pixels of OSMesa frames, each drawn both from the compiled
// display list and triangle by triangle.
#include <math.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "render_test_support.h"
#include "texture.h"

namespace {

// A material of one colour (ambient and diffuse), no highlights.
Material colour_material(float r, float g, float b)
{
    Material m{};
    const float rgb[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) m.ambient[i] = m.diffuse[i] = rgb[i];
    m.texture_scale[0] = m.texture_scale[1] = 1.0f;
    return m;
}

// Every face of mesh m gets material index `material` and smoothing bits.
void set_faces(TestScene* t, size_t m, uint16_t material, uint32_t smoothing = 0)
{
    for (Face& face : t->faces[m]) {
        face.material = material;
        face.smoothing = smoothing;
    }
}

class DrawMaterials : public OffscreenGlTest {
protected:
    void SetUp() override
    {
        OffscreenGlTest::SetUp();
        open_view();
        g_eye = {0.0f, 0.0f, 3.0f};  // on +z, looking at the origin
        g_look = LOOK_AS_FILE;
        char folder[] = "/tmp/head_textures_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        temp_folder = folder;
    }
    void TearDown() override
    {
        OffscreenGlTest::TearDown();
        for (const std::string& name : written) remove((temp_folder + "/" + name).c_str());
        rmdir(temp_folder.c_str());
    }

    // Draws t with its materials, from the list compiled for it, or one by
    // one: the list compiled (which makes the textures) for another mesh
    // count than the one drawn (the same meshes, as t has fewer than 3).
    std::vector<GLubyte> draw(TestScene* t, std::vector<Material>* materials, bool use_list)
    {
        t->scene.materials = materials->empty() ? nullptr : materials->data();
        t->scene.material_count = (int32_t)materials->size();
        g_scene = &t->scene;
        compile_scene_list();
        if (!use_list) g_drawn_mesh_count = 3;
        draw_scene();
        g_drawn_mesh_count = 2;
        return read_frame(&gl);
    }

    Rgba at(const std::vector<GLubyte>& frame, int x, int y) { return pixel_at(&gl, frame, x, y); }

    std::string temp_folder;
    std::vector<std::string> written;  // files and folders in temp_folder, removed in this order
};

// GL_MAX_TEXTURE_SIZE as the renderer is told it: GL's own unless a test
// sets a smaller one. The test program is linked with glGetIntegerv
// wrapped (tests/CMakeLists.txt).
GLint g_gl_max_texture_size = 0;

}  // namespace

extern "C" void __real_glGetIntegerv(GLenum name, GLint* value);
extern "C" void __wrap_glGetIntegerv(GLenum name, GLint* value)
{
    __real_glGetIntegerv(name, value);
    if (name == GL_MAX_TEXTURE_SIZE && g_gl_max_texture_size > 0) *value = g_gl_max_texture_size;
}

namespace {

const bool BOTH_WAYS[2] = {true, false};

// A square seen from the camera, wound as the file's outward faces are.
TestMesh facing_square(float x, float y, float z, float half) { return square_mesh(x, y, z, half, true); }

TEST_F(DrawMaterials, EachFaceHasItsMaterialsColourAndPlainStaysWhite)
{
    for (bool use_list : BOTH_WAYS) {
        SCOPED_TRACE(use_list ? "list" : "one by one");
        TestScene t = make_test_scene({facing_square(-1.2f, 0.0f, 0.0f, 1.0f), facing_square(1.2f, 0.0f, 0.0f, 1.0f)});
        set_faces(&t, 0, 0);
        set_faces(&t, 1, 1);
        std::vector<Material> materials = {colour_material(1, 0, 0), colour_material(0, 0, 1)};
        g_look = LOOK_AS_FILE;
        std::vector<GLubyte> frame = draw(&t, &materials, use_list);
        Rgba left = at(frame, 25, 48);
        Rgba right = at(frame, 71, 48);
        EXPECT_GT(left.r, 120);
        EXPECT_EQ(left.g + left.b, 0);
        EXPECT_GT(right.b, 120);
        EXPECT_EQ(right.r + right.g, 0);

        // An index past the materials: a new material's grey.
        materials.resize(1);
        frame = draw(&t, &materials, use_list);
        Rgba grey = at(frame, 71, 48);
        EXPECT_GT(grey.r, 60);
        EXPECT_EQ(grey.r, grey.g);
        EXPECT_EQ(grey.g, grey.b);
        EXPECT_EQ(at(frame, 25, 48).r, left.r);

        // The plain look ignores the materials: both squares the same grey.
        g_look = LOOK_PLAIN;
        frame = draw(&t, &materials, use_list);
        left = at(frame, 25, 48);
        right = at(frame, 71, 48);
        EXPECT_GT(left.r, 60);
        EXPECT_TRUE(left.r == left.g && left.g == left.b && right.r == right.g && right.g == right.b);
    }
}

// A small black square facing the eye at distance 3 with white highlights,
// worked out by hand: light 0 at (5, 5, 5) in eye coordinates, the viewer
// at infinity, so the highlight is (n.h)^shininess x strength, with
// shininess = glossiness x 128; linear fog from 0.5 to 15.
TEST_F(DrawMaterials, HighlightsFollowTheirStrengthAndGlossiness)
{
    const struct {
        float strength, glossiness;
    } cases[] = {{1, 0}, {0.5f, 0}, {0, 0}, {1, 0.1f}, {1, 0.25f}};
    const double l[3] = {5 / sqrt(114.0), 5 / sqrt(114.0), 8 / sqrt(114.0)};  // to the light from (0, 0, -3)
    const double n_dot_h = (l[2] + 1) / sqrt(l[0] * l[0] + l[1] * l[1] + (l[2] + 1) * (l[2] + 1));
    const double fog = (15.0 - 3.0) / (15.0 - 0.5);
    for (const auto& c : cases) {
        for (bool use_list : BOTH_WAYS) {
            SCOPED_TRACE(testing::Message() << "strength " << c.strength << " glossiness " << c.glossiness);
            TestScene t = make_test_scene({facing_square(0, 0, 0, 0.1f)});
            std::vector<Material> materials = {colour_material(0, 0, 0)};
            for (float& channel : materials[0].specular) channel = 1.0f;
            materials[0].shininess_strength = c.strength;
            materials[0].shininess = c.glossiness;
            Rgba p = at(draw(&t, &materials, use_list), FRAME_SIZE / 2, FRAME_SIZE / 2);
            double expected = 255.0 * c.strength * pow(n_dot_h, 128.0 * c.glossiness) * fog;
            EXPECT_NEAR(p.r, expected, 3.0);
            EXPECT_EQ(p.g, p.r);
            EXPECT_EQ(p.b, p.r);
        }
    }
}

TestMesh tent_mesh()
{
    TestMesh tent;
    tent.positions = {{-1.5f, -1, 0}, {-1.5f, 1, 0}, {0, -1, 0.6f}, {0, 1, 0.6f}, {1.5f, -1, 0}, {1.5f, 1, 0}};
    tent.faces = {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}};
    return tent;
}

// A tent along y: two slopes meeting at a ridge at x = 0 (pixel column 48),
// the ridge's vertices shared. Across the ridge the brightness is continuous
// when the slopes share a smoothing bit and jumps when they do not.
TEST_F(DrawMaterials, SmoothingGroupsShareNormalsOnlyWhereTheBitsMeet)
{
    struct Case {
        uint32_t left, right;
        bool smooth;
    };
    const Case cases[] = {{1, 1, true}, {0x5, 0x4, true}, {0, 0, false}, {1, 2, false}, {0, 1, false}};
    TestMesh tent = tent_mesh();
    std::vector<Material> materials = {colour_material(1, 1, 1)};
    for (const Case& c : cases) {
        for (bool use_list : BOTH_WAYS) {
            SCOPED_TRACE(testing::Message() << c.left << "/" << c.right << (use_list ? " list" : ""));
            TestScene t = make_test_scene({tent});
            t.faces[0][0].smoothing = t.faces[0][1].smoothing = c.left;
            t.faces[0][2].smoothing = t.faces[0][3].smoothing = c.right;
            std::vector<GLubyte> frame = draw(&t, &materials, use_list);
            int left = at(frame, 46, 48).r;
            int right = at(frame, 50, 48).r;
            EXPECT_GT(left, 40);
            if (c.smooth) {
                EXPECT_LT(abs(right - left), 12) << left << " " << right;
            } else {
                // The right slope faces the light (up and right) more.
                EXPECT_GT(right - left, 30) << left << " " << right;
            }
        }
    }
}

// A face without area (two corners the same) at a corner of the left
// slope, in the same smoothing group: it covers no pixel and has no normal
// to give, so the tent looks as it does without it.
TEST_F(DrawMaterials, FaceWithoutAreaChangesNoSmoothedNormal)
{
    std::vector<Material> materials = {colour_material(1, 1, 1)};
    for (bool use_list : BOTH_WAYS) {
        TestMesh tent = tent_mesh();
        TestScene plain = make_test_scene({tent});
        set_faces(&plain, 0, 0, 1);
        std::vector<GLubyte> expected = draw(&plain, &materials, use_list);
        tent.faces.push_back({0, 1, 0});
        TestScene with_flat = make_test_scene({tent});
        set_faces(&with_flat, 0, 0, 1);
        EXPECT_TRUE(draw(&with_flat, &materials, use_list) == expected) << (use_list ? "list" : "one by one");
    }
}

// A square seen from behind (its outward side turned away): a one-sided
// material is lit as its front would be, away from the light, so only the
// ambient light shows; a two-sided one is lit as a front.
TEST_F(DrawMaterials, OnlyTwoSidedMaterialsAreLitFromBehind)
{
    for (bool use_list : BOTH_WAYS) {
        TestScene t = make_test_scene({square_mesh(0.0f, 0.0f, 0.0f, 1.0f)});
        std::vector<Material> materials = {colour_material(1, 1, 1)};
        int one_sided = at(draw(&t, &materials, use_list), 48, 48).r;
        materials[0].two_sided = 1;
        int two_sided = at(draw(&t, &materials, use_list), 48, 48).r;
        EXPECT_LT(one_sided, 100);
        EXPECT_GT(two_sided, 150);
    }
}

// The transparent red square lies in front and comes first; the opaque blue
// one behind it is drawn before it all the same, and shows through.
// When the blue one is transparent too, it comes after the red one and
// still shows behind it: the transparent faces leave the depth as it was.
TEST_F(DrawMaterials, TransparentFacesBlendOverTheOpaqueOnesAfterThem)
{
    for (float blue_transparency : {0.0f, 0.5f}) {
        for (bool use_list : BOTH_WAYS) {
            SCOPED_TRACE(testing::Message() << "blue transparency " << blue_transparency << (use_list ? " list" : ""));
            TestScene t = make_test_scene({facing_square(0, 0, 0.5f, 1.0f), facing_square(0, 0, 0, 1.5f)});
            set_faces(&t, 0, 0);
            set_faces(&t, 1, 1);
            std::vector<Material> materials = {colour_material(1, 0, 0), colour_material(0, 0, 1)};
            materials[0].transparency = 0.5f;
            materials[1].transparency = blue_transparency;
            Rgba mixed = at(draw(&t, &materials, use_list), 48, 48);
            EXPECT_GT(mixed.r, 40);
            EXPECT_GT(mixed.b, 40);
            // The state the plain drawing relies on is back as it was.
            GLint two_side = 0;
            GLboolean depth_writes = GL_FALSE;
            GLint front = 0;
            glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two_side);
            glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
            glGetIntegerv(GL_FRONT_FACE, &front);
            EXPECT_EQ(two_side, 1);
            EXPECT_EQ(depth_writes, GL_TRUE);
            EXPECT_EQ(front, GL_CCW);
            EXPECT_FALSE(glIsEnabled(GL_BLEND));
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        }
    }
}

// A square facing the eye, its map coordinates running 0..1 across and up.
TestScene mapped_square()
{
    TestScene t = make_test_scene({facing_square(0, 0, 0, 1.0f)});
    for (Vertex& v : t.vertices[0]) {
        v.u = (v.position.x + 1.0f) / 2.0f;
        v.v = (v.position.y + 1.0f) / 2.0f;
    }
    return t;
}

// A yellow material mapped with the image named name.
std::vector<Material> mapped_material(const char* name)
{
    std::vector<Material> materials = {colour_material(1, 1, 0)};
    snprintf(materials[0].texture_file, sizeof materials[0].texture_file, "%s", name);
    return materials;
}

// What a pixel of a mapped square shows: 'R' red, 'B' blue, 'Y' the
// material's yellow, '?' none of these.
char shown(const Rgba& p)
{
    if (p.r > p.g + p.b + 40) return 'R';
    if (p.b > p.r + p.g + 40) return 'B';
    return p.r > 100 && p.g > 100 && p.b == 0 ? 'Y' : '?';
}

// The pixel row of map coordinate v on mapped_square seen from distance 3
// (80 degrees vertical field of view).
int row_of_v(float v) { return (int)(FRAME_SIZE / 2 + (2 * v - 1) * (FRAME_SIZE / 2) / (3 * tan(40 * M_PI / 180))); }

// A 5 x 3 picture (not powers of two): bottom row red, middle green, top
// blue, in the folder maps; the model's folder and the name the material
// gives: an image is read from the model's folder or one below it, never
// from above it.
TEST_F(DrawMaterials, TexturedSquareShowsItsImageOrElseItsColour)
{
    ASSERT_EQ(mkdir((temp_folder + "/maps").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((temp_folder + "/maps/sub").c_str(), 0700), 0);
    written = {"maps/tex.bmp", "maps/bad.bmp", "maps/sub", "maps"};
    write_bmp(temp_folder + "/maps/tex.bmp", 5, 3, [](int, int y) {
        return y == 0 ? std::array<uint8_t, 3>{255, 0, 0}
                      : (y == 1 ? std::array<uint8_t, 3>{0, 255, 0} : std::array<uint8_t, 3>{0, 0, 255});
    });
    FILE* bad = fopen((temp_folder + "/maps/bad.bmp").c_str(), "wb");
    ASSERT_NE(bad, nullptr);
    fputs("BM this is no picture", bad);
    fclose(bad);

    // The image as a model file may carry it in itself.
    std::vector<uint8_t> carried(64 * 1024);
    FILE* tex = fopen((temp_folder + "/maps/tex.bmp").c_str(), "rb");
    ASSERT_NE(tex, nullptr);
    carried.resize(fread(carried.data(), 1, carried.size(), tex));
    fclose(tex);
    std::vector<uint8_t> not_a_picture = {'B', 'M', 'x'};

    struct Case {
        const char* folder;  // below temp_folder; null: no folder
        const char* name;
        const char* shows;                      // at v = 0.25 and 0.75
        std::vector<uint8_t>* image = nullptr;  // carried in the model file
    };
    const Case cases[] = {
        {"maps/", "tex.bmp", "RB"},           {"", "maps/tex.bmp", "RB"},
        {"", "maps\\tex.bmp", "RB"},          {"maps/", "none.bmp", "YY"},
        {"maps/", "bad.bmp", "YY"},           {nullptr, "tex.bmp", "YY"},
        {"maps/sub/", "../tex.bmp", "YY"},    {"maps/sub/", "..\\tex.bmp", "YY"},
        {"", "maps/sub/../tex.bmp", "YY"},    {nullptr, "", "RB", &carried},
        {"maps/", "bad.bmp", "RB", &carried}, {"maps/", "tex.bmp", "YY", &not_a_picture},
    };
    for (const Case& c : cases) {
        for (bool use_list : BOTH_WAYS) {
            SCOPED_TRACE(testing::Message() << (c.folder != nullptr ? c.folder : "(none)") << " " << c.name
                                            << (c.image ? " carried" : "") << (use_list ? " list" : ""));
            snprintf(g_texture_folder, sizeof g_texture_folder, "%s",
                     c.folder != nullptr ? (temp_folder + "/" + c.folder).c_str() : "");
            TestScene t = mapped_square();
            std::vector<Material> materials = mapped_material(c.name);
            if (c.image != nullptr) {
                materials[0].texture_image = c.image->data();
                materials[0].texture_image_size = (uint32_t)c.image->size();
            }
            std::vector<GLubyte> frame = draw(&t, &materials, use_list);
            std::string seen = {shown(at(frame, 48, row_of_v(0.25f))), shown(at(frame, 48, row_of_v(0.75f)))};
            EXPECT_EQ(seen, c.shows);
            release_scene_list();
            EXPECT_FALSE(glIsTexture(1)) << "texture left after release_scene_list";
        }
    }
}

// An image of two bands, red below blue, mapped with scales and offsets
// along v: the bands seen at v = 1/8, 3/8, 5/8 and 7/8 of the square.
TEST_F(DrawMaterials, MapScaleAndOffsetAlongV)
{
    write_bmp(temp_folder + "/bands.bmp", 4, 8, [](int, int y) {
        return y < 4 ? std::array<uint8_t, 3>{255, 0, 0} : std::array<uint8_t, 3>{0, 0, 255};
    });
    written = {"bands.bmp"};
    snprintf(g_texture_folder, sizeof g_texture_folder, "%s/", temp_folder.c_str());
    const struct {
        float scale_v, offset_v;
        const char* shows;
    } cases[] = {{1, 0, "RRBB"}, {2, 0, "RBRB"}, {1, 0.25f, "RBBR"}, {1, 0.5f, "BBRR"}, {1, -0.25f, "BRRB"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale_v << " offset " << c.offset_v);
        TestScene t = mapped_square();
        std::vector<Material> materials = mapped_material("bands.bmp");
        materials[0].texture_scale[1] = c.scale_v;
        materials[0].texture_offset[1] = c.offset_v;
        std::vector<GLubyte> frame = draw(&t, &materials, true);
        std::string seen;
        for (float v : {0.125f, 0.375f, 0.625f, 0.875f}) seen += shown(at(frame, 48, row_of_v(v)));
        EXPECT_EQ(seen, c.shows);
    }
}

// A 64 x 64 image: its texture is as large as GL allows, halved from 1024
// until GL takes it.
TEST_F(DrawMaterials, TexturesAreNoLargerThanGlAllows)
{
    write_bmp(temp_folder + "/big.bmp", 64, 64, [](int x, int) {
        return std::array<uint8_t, 3>{(uint8_t)(x * 4), 0, 0};
    });
    written = {"big.bmp"};
    snprintf(g_texture_folder, sizeof g_texture_folder, "%s/", temp_folder.c_str());
    const struct {
        GLint gl_limit;  // 0: GL's own
        GLint side;
    } cases[] = {{0, 64}, {64, 64}, {48, 32}, {32, 32}, {8, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "GL's limit " << c.gl_limit);
        g_gl_max_texture_size = c.gl_limit;
        TestScene t = mapped_square();
        std::vector<Material> materials = mapped_material("big.bmp");
        draw(&t, &materials, true);
        g_gl_max_texture_size = 0;
        GLuint texture = 1;
        while (texture < 64 && !glIsTexture(texture)) ++texture;
        ASSERT_TRUE(glIsTexture(texture)) << "no texture made";
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint width = 0;
        GLint height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(width, c.side);
        EXPECT_EQ(height, c.side);
        release_scene_list();
    }
}

}  // namespace
