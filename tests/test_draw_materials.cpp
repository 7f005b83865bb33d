// test_draw_materials.cpp - g_scene drawn as its file says (LOOK_AS_FILE):
// material colours, smoothing groups, one- and two-sided lighting,
// transparency and texture images, seen in the pixels of OSMesa frames, each
// drawn both from the compiled display list and triangle by triangle; and
// the texture images' limits.
#include <stdio.h>
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

// Writes a 24-bit BMP of width x height; colour(x, y) gives each pixel's
// RGB, y = 0 being the picture's bottom row.
template <typename Colour>
void write_bmp(const std::string& path, int width, int height, Colour colour)
{
    int row = (width * 3 + 3) / 4 * 4;
    uint32_t size = 54 + (uint32_t)(row * height);
    uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = (uint8_t)(v >> (8 * i));
    };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    header[26] = 1;
    header[28] = 24;
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(header, 1, sizeof header, file);
    std::vector<uint8_t> line((size_t)row, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::array<uint8_t, 3> rgb = colour(x, y);
            line[(size_t)x * 3] = rgb[2];  // stored blue, green, red
            line[(size_t)x * 3 + 1] = rgb[1];
            line[(size_t)x * 3 + 2] = rgb[0];
        }
        fwrite(line.data(), 1, line.size(), file);
    }
    fclose(file);
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
        for (const std::string& name : written) unlink((temp_folder + "/" + name).c_str());
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
    std::vector<std::string> written;
};

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
    TestMesh tent;
    tent.positions = {{-1.5f, -1, 0}, {-1.5f, 1, 0}, {0, -1, 0.6f}, {0, 1, 0.6f}, {1.5f, -1, 0}, {1.5f, 1, 0}};
    tent.faces = {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}};
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
TEST_F(DrawMaterials, TransparentFacesBlendOverTheOpaqueOnesAfterThem)
{
    for (bool use_list : BOTH_WAYS) {
        TestScene t = make_test_scene({facing_square(0, 0, 0.5f, 1.0f), facing_square(0, 0, 0, 1.5f)});
        set_faces(&t, 0, 0);
        set_faces(&t, 1, 1);
        std::vector<Material> materials = {colour_material(1, 0, 0), colour_material(0, 0, 1)};
        materials[0].transparency = 0.5f;
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

// A 5 x 3 picture (not powers of two): bottom row red, middle green, top
// blue, on a square whose map coordinates run 0..1; a yellow material.
TEST_F(DrawMaterials, TexturedSquareShowsItsImageOrElseItsColour)
{
    write_bmp(temp_folder + "/tex.bmp", 5, 3, [](int, int y) {
        return y == 0 ? std::array<uint8_t, 3>{255, 0, 0}
                      : (y == 1 ? std::array<uint8_t, 3>{0, 255, 0} : std::array<uint8_t, 3>{0, 0, 255});
    });
    FILE* bad = fopen((temp_folder + "/bad.bmp").c_str(), "wb");
    ASSERT_NE(bad, nullptr);
    fputs("BM this is no picture", bad);
    fclose(bad);
    written = {"tex.bmp", "bad.bmp"};

    enum Shows { IMAGE, IMAGE_MOVED_HALF_UP, COLOUR };
    struct Case {
        const char* name;
        bool folder;
        float offset_v;
        Shows shows;
    };
    const Case cases[] = {
        {"tex.bmp", true, 0.0f, IMAGE},   {"tex.bmp", true, 0.5f, IMAGE_MOVED_HALF_UP},
        {"none.bmp", true, 0.0f, COLOUR}, {"bad.bmp", true, 0.0f, COLOUR},
        {"tex.bmp", false, 0.0f, COLOUR},
    };
    for (const Case& c : cases) {
        for (bool use_list : BOTH_WAYS) {
            SCOPED_TRACE(testing::Message() << c.name << " offset " << c.offset_v << (use_list ? " list" : ""));
            snprintf(g_texture_folder, sizeof g_texture_folder, "%s", c.folder ? (temp_folder + "/").c_str() : "");
            TestScene t = make_test_scene({facing_square(0, 0, 0, 1.0f)});
            for (Vertex& v : t.vertices[0]) {
                v.u = (v.position.x + 1.0f) / 2.0f;
                v.v = (v.position.y + 1.0f) / 2.0f;
            }
            std::vector<Material> materials = {colour_material(1, 1, 0)};
            snprintf(materials[0].texture_file, sizeof materials[0].texture_file, "%s", c.name);
            materials[0].texture_offset[1] = c.offset_v;
            std::vector<GLubyte> frame = draw(&t, &materials, use_list);
            Rgba low = at(frame, 48, 39);   // v = 0.25
            Rgba high = at(frame, 48, 57);  // v = 0.75
            if (c.shows == COLOUR) {
                EXPECT_GT(low.r, 100);
                EXPECT_GT(low.g, 100);
                EXPECT_EQ(low.b, 0);
            } else {
                const Rgba& red = c.shows == IMAGE ? low : high;
                const Rgba& blue = c.shows == IMAGE ? high : low;
                EXPECT_GT(red.r, red.g + red.b + 40);
                EXPECT_GT(blue.b, blue.r + blue.g + 40);
            }
            release_scene_list();
            EXPECT_FALSE(glIsTexture(1)) << "texture left after release_scene_list";
        }
    }
}

// Sides go to the nearest power of two (at most the limit); images wider or
// taller than 8192 pixels are refused before they are decoded.
TEST_F(DrawMaterials, TextureImagesAreScaledToPowersOfTwoWithinTheLimits)
{
    struct Case {
        int width, height;
        bool accepted;
        int texture_width, texture_height;
    };
    const Case cases[] = {
        {3, 5, true, 2, 4},     {7, 6, true, 8, 4},     {8192, 1, true, 1024, 1},
        {8193, 1, false, 0, 0}, {1, 8193, false, 0, 0},
    };
    std::string path = temp_folder + "/size.bmp";
    written = {"size.bmp"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        write_bmp(path, c.width, c.height, [](int, int) { return std::array<uint8_t, 3>{10, 20, 30}; });
        FILE* file = fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        TextureImage image;
        EXPECT_EQ(load_texture_image(file, TEXTURE_MAX_SIDE, &image), c.accepted);
        fclose(file);
        EXPECT_EQ(image.width, c.texture_width);
        EXPECT_EQ(image.height, c.texture_height);
        if (c.accepted) {
            EXPECT_EQ(image.pixels[0] + image.pixels[1] + image.pixels[2] + image.pixels[3], 10 + 20 + 30 + 255);
        }
        free_texture_image(&image);
    }
    // Regression: a JPEG Huffman table of more than 256 codes, which stb_image
    // 2.27 writes past its tables for (already reading the header).
    // Also after padding FF bytes before the start marker, which the decoder
    // skips.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x13, 0x10};
    jpeg.resize(jpeg.size() + 16, 0x20);
    TextureImage image;
    EXPECT_FALSE(decode_texture_image(jpeg.data(), jpeg.size(), TEXTURE_MAX_SIDE, &image));
    jpeg.insert(jpeg.begin(), 3, 0xFF);
    EXPECT_FALSE(decode_texture_image(jpeg.data(), jpeg.size(), TEXTURE_MAX_SIDE, &image));
    // Regression: a PNG whose first image-data chunk is empty, which it
    // copies from a null pointer (a 5 x 3 image, then an empty IDAT).
    // clang-format off
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',      // signature
                                      0,    0,   0,   13,  'I',  'H',  'D',  'R',       // header chunk
                                      0,    0,   0,   5,   0,    0,    0,    3,    8, 6, 0, 0, 0,  // 5 x 3 RGBA
                                      0,    0,   0,   0,                                 // its checksum
                                      0,    0,   0,   0,   'I',  'D',  'A',  'T',  0, 0, 0, 0};  // empty IDAT
    // clang-format on
    EXPECT_FALSE(decode_texture_image(png.data(), png.size(), TEXTURE_MAX_SIDE, &image));
}

}  // namespace
