// Frame drawing through a real GL (OSMesa): the camera, the pixels of lit,
// fogged, two-sided triangles, which meshes and faces reach GL (counted by
// GL's own statistics), the face normals (read back as GL's current normal), and
// scenes that break what the carried model guarantees: no scene, fewer than
// two meshes, vertex indices out of range, triangles without area; and the
// display list of the scene, which must draw the same pixels.
#include <gtest/gtest.h>
#include <math.h>

#include <stdio.h>

#include <algorithm>

#include "load_3ds.h"
#include "render_test_support.h"

namespace {

const double PI = 3.14159265358979323846;

// --- The picture worked out by hand, from the documented state ---

struct Dvec3 {
    double x, y, z;
};

Dvec3 dnormalize(Dvec3 v)
{
    double length = sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

double ddot(Dvec3 a, Dvec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// GL's lighting equation for one grey channel: a point p and unit normal n in
// eye coordinates, light 0 at (5, 5, 5) in eye coordinates, viewer at
// infinity (local viewer off), material ambient 0.2, diffuse 0.7, specular 1
// with shininess 30, light ambient 0.1, global ambient 0.2.
double lit_channel(Dvec3 p, Dvec3 n)
{
    Dvec3 l = dnormalize({5.0 - p.x, 5.0 - p.y, 5.0 - p.z});
    double n_dot_l = std::max(0.0, ddot(n, l));
    Dvec3 h = dnormalize({l.x, l.y, l.z + 1.0});
    double specular = n_dot_l > 0.0 ? pow(std::max(0.0, ddot(n, h)), 30.0) : 0.0;
    double colour = 0.2 * 0.2 + 0.1 * 0.2 + n_dot_l * 0.7 + specular;
    return std::min(colour, 1.0);
}

double linear_fog_factor(double distance) { return std::clamp((15.0 - distance) / (15.0 - 0.5), 0.0, 1.0); }

// The window x of a point seen straight ahead from (0, 0, d) at lateral
// offset a, in a square frame: 80 degrees vertical field of view.
double window_coordinate(double offset, double distance)
{
    double f = 1.0 / tan(40.0 * PI / 180.0);
    return (offset / distance * f + 1.0) / 2.0 * FRAME_SIZE;
}

bool is_black(const Rgba& p) { return p.r == 0 && p.g == 0 && p.b == 0; }

// --- Drawing helpers ---

class DrawScene : public OffscreenGlTest {
protected:
    void SetUp() override
    {
        OffscreenGlTest::SetUp();
        if (HasFatalFailure()) return;
        open_view();
    }

    // Draws the scene from the current camera and reads the frame back.
    std::vector<GLubyte> draw(TestScene* scene)
    {
        g_scene = scene == nullptr ? nullptr : &scene->scene;
        draw_scene();
        return read_frame(&gl);
    }

    // Draws the frame of g_scene and reads it back.
    std::vector<GLubyte> read_frame_after_draw()
    {
        draw_scene();
        return read_frame(&gl);
    }

    Rgba centre(const std::vector<GLubyte>& frame) { return pixel_at(&gl, frame, FRAME_SIZE / 2, FRAME_SIZE / 2); }

    // The corners of the frame, all black.
    void expect_black_corners(const std::vector<GLubyte>& frame)
    {
        const int last = FRAME_SIZE - 1;
        EXPECT_TRUE(is_black(pixel_at(&gl, frame, 0, 0)));
        EXPECT_TRUE(is_black(pixel_at(&gl, frame, last, 0)));
        EXPECT_TRUE(is_black(pixel_at(&gl, frame, 0, last)));
        EXPECT_TRUE(is_black(pixel_at(&gl, frame, last, last)));
    }
};

// --- Camera ---

struct LookAtCase {
    const char* name;
    Vec3 eye, center, up;
};

TEST_F(DrawScene, ModelViewIsTheLookAtOfTheCameraGlobals)
{
    const LookAtCase cases[] = {
        {"initial camera", {3, 4, 4}, {0, 0, 0}, {0, 1, 0}},
        {"swayed eye", {-2.5f, 1.25f, 4}, {0, 0, 0}, {0, 1, 0}},
        {"other centre", {1, 2, 4}, {0.5f, -1, 0.25f}, {0, 1, 0}},
        {"other up", {3, 0.5f, 4}, {0, 0, 0}, {1, 1, 0}},
    };
    TestScene scene = make_test_scene({cube_mesh(0.5f)});
    for (const LookAtCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_eye = c.eye;
        g_center = c.center;
        g_up = c.up;
        // Whatever the model-view matrix and colour held before.
        glTranslatef(7, 8, 9);
        glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
        draw(&scene);

        Dvec3 eye = {c.eye.x, c.eye.y, c.eye.z};
        Dvec3 f = dnormalize({c.center.x - eye.x, c.center.y - eye.y, c.center.z - eye.z});
        Dvec3 s = dnormalize({f.y * c.up.z - f.z * c.up.y, f.z * c.up.x - f.x * c.up.z, f.x * c.up.y - f.y * c.up.x});
        Dvec3 u = {s.y * f.z - s.z * f.y, s.z * f.x - s.x * f.z, s.x * f.y - s.y * f.x};
        const double expected[16] = {s.x, u.x, -f.x, 0, s.y,           u.y,           -f.y,         0,
                                     s.z, u.z, -f.z, 0, -ddot(s, eye), -ddot(u, eye), ddot(f, eye), 1};
        GLfloat modelview[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(modelview[i], expected[i], 1e-5) << "element " << i;

        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(colour[i], 1.0f) << "current colour is white, component " << i;
    }
}

struct PlacementCase {
    const char* name;
    float x, y;        // centre of a small square in the plane z = 0
    int lit_x, lit_y;  // where it must show, seen from (0, 0, 4)
};

TEST_F(DrawScene, ModelIsLitWhereItLiesAndSpaceIsBlack)
{
    const int near_edge = (int)window_coordinate(1.5, 4.0);
    const int far_edge = FRAME_SIZE - 1 - near_edge;
    const PlacementCase cases[] = {
        {"centre", 0, 0, FRAME_SIZE / 2, FRAME_SIZE / 2},  {"right (+x)", 1.5f, 0, near_edge, FRAME_SIZE / 2},
        {"left (-x)", -1.5f, 0, far_edge, FRAME_SIZE / 2}, {"up (+y)", 0, 1.5f, FRAME_SIZE / 2, near_edge},
        {"down (-y)", 0, -1.5f, FRAME_SIZE / 2, far_edge},
    };
    g_eye = {0, 0, 4};
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestScene scene = make_test_scene({square_mesh(c.x, c.y, 0, 0.25f)});
        std::vector<GLubyte> frame = draw(&scene);
        Rgba lit = pixel_at(&gl, frame, c.lit_x, c.lit_y);
        EXPECT_GT(lit.r, 60);
        EXPECT_EQ(lit.r, lit.g);  // white light on a grey material
        EXPECT_EQ(lit.r, lit.b);
        // Its mirror image through the centre is empty space.
        if (c.x != 0 || c.y != 0) {
            EXPECT_TRUE(is_black(pixel_at(&gl, frame, FRAME_SIZE - 1 - c.lit_x, FRAME_SIZE - 1 - c.lit_y)));
        }
        expect_black_corners(frame);
        // A square 0.5 wide at distance 4 spans 0.5 / (8 tan 40) of the
        // frame each way: about 7 pixels, some 50 pixels in all.
        int lit_count = lit_pixel_count(frame);
        EXPECT_GT(lit_count, 30);
        EXPECT_LT(lit_count, 90);
    }
}

TEST_F(DrawScene, LitColourFollowsTheLightingAndFogOfTheFixedState)
{
    // A small square facing the eye at distance 4: worked out by hand.
    g_eye = {0, 0, 4};
    TestScene scene = make_test_scene({square_mesh(0, 0, 0, 0.05f)});
    Rgba p = centre(draw(&scene));
    double expected = 255.0 * lit_channel({0, 0, -4}, {0, 0, 1}) * linear_fog_factor(4.0);
    EXPECT_NEAR(p.r, expected, 3.0);
    EXPECT_EQ(p.g, p.r);
    EXPECT_EQ(p.b, p.r);
}

TEST_F(DrawScene, LightMovesWithTheCamera)
{
    // The same square seen square-on from two sides of the model: the light
    // sits at the same place relative to the eye, so both look the same.
    g_eye = {0, 0, 4};
    TestScene facing_z = make_test_scene({square_mesh(0, 0, 0, 0.25f)});
    Rgba from_z = centre(draw(&facing_z));

    g_eye = {4, 0, 0};
    TestMesh facing_x;
    const float h = 0.25f;
    facing_x.positions = {{0, -h, h}, {0, -h, -h}, {0, h, -h}, {0, h, h}};
    facing_x.faces = {{0, 1, 2}, {0, 2, 3}};
    TestScene scene_x = make_test_scene({facing_x});
    Rgba from_x = centre(draw(&scene_x));

    EXPECT_GT(from_z.r, 60);
    EXPECT_NEAR(from_x.r, from_z.r, 1);
}

TEST_F(DrawScene, FaceTurnedAwayIsLitWithTheBackMaterial)
{
    g_eye = {0, 0, 4};
    TestScene towards = make_test_scene({square_mesh(0, 0, 0, 0.5f, false)});
    TestScene away = make_test_scene({square_mesh(0, 0, 0, 0.5f, true)});
    Rgba front = centre(draw(&towards));
    Rgba back = centre(draw(&away));
    // Lit well above the ambient term (about 12 at this distance): the
    // reversed normal of the turned-away face points at the light.
    EXPECT_GT(front.r, 60);
    EXPECT_GT(back.r, 60);
    EXPECT_NEAR(back.r, front.r, 1);

    // Only the back material colours the turned-away face.
    const GLfloat red[4] = {0.7f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_BACK, GL_DIFFUSE, red);
    Rgba back_red = centre(draw(&away));
    Rgba front_grey = centre(draw(&towards));
    EXPECT_GT(back_red.r, back_red.g + 40);
    EXPECT_EQ(front_grey.r, front_grey.g);
    EXPECT_EQ(front_grey.r, front.r);
}

struct FogCase {
    const char* name;
    int32_t mode_index;
    float distance;  // from the eye to a square facing it
    double factor;   // share of the unfogged colour left
};

TEST_F(DrawScene, FogDarkensWithDistance)
{
    const FogCase cases[] = {
        {"linear, 0.4: nearer than the start, unfogged", 2, 0.4f, 1.0},
        {"linear, 0.5: the start, unfogged", 2, 0.5f, 1.0},
        {"linear, 4", 2, 4.0f, (15.0 - 4.0) / 14.5},
        {"linear, 10", 2, 10.0f, (15.0 - 10.0) / 14.5},
        {"linear, 15: the end, black", 2, 15.0f, 0.0},
        {"linear, 20: past the end, black", 2, 20.0f, 0.0},
        {"exponential, 4: density 0.15", 0, 4.0f, exp(-0.15 * 4.0)},
        {"exponential squared, 4: density 0.15", 1, 4.0f, exp(-(0.15 * 4.0) * (0.15 * 4.0))},
    };
    g_eye = {0, 0, 4};
    for (const FogCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_fog_mode_index = c.mode_index;
        ASSERT_TRUE(init_gl_state());
        TestScene scene = make_test_scene({square_mesh(0, 0, 4.0f - c.distance, 1.0f)});
        Rgba fogged = centre(draw(&scene));
        glDisable(GL_FOG);
        Rgba clear = centre(draw(&scene));
        EXPECT_GT(clear.r, 40) << "the square is there";
        EXPECT_NEAR(fogged.r, clear.r * c.factor, 1.5);
        if (c.factor == 1.0) {
            EXPECT_EQ(fogged.r, clear.r);
        }
        if (c.factor == 0.0) {
            EXPECT_TRUE(is_black(fogged));
        }
    }
}

TEST_F(DrawScene, NearerFaceDrawnFirstHidesTheFartherOne)
{
    g_eye = {0, 0, 4};
    TestMesh near_square = square_mesh(0, 0, 2, 0.25f);  // distance 2
    TestMesh far_square = square_mesh(0, 0, -2, 2.0f);   // distance 6, behind it
    TestMesh near_then_far = near_square;
    for (const Vec3& p : far_square.positions) near_then_far.positions.push_back(p);
    for (const auto& f : far_square.faces)
        near_then_far.faces.push_back({(uint16_t)(f[0] + 4), (uint16_t)(f[1] + 4), (uint16_t)(f[2] + 4)});

    TestScene near_only = make_test_scene({near_square});
    TestScene far_only = make_test_scene({far_square});
    TestScene both = make_test_scene({near_then_far});
    Rgba near_pixel = centre(draw(&near_only));
    Rgba far_pixel = centre(draw(&far_only));
    Rgba both_pixel = centre(draw(&both));
    ASSERT_NE(near_pixel.r, far_pixel.r);
    EXPECT_EQ(both_pixel.r, near_pixel.r);
}

TEST_F(DrawScene, EveryFrameStartsClearedInColourAndDepth)
{
    g_eye = {0, 0, 4};
    TestScene wall = make_test_scene({square_mesh(0, 0, 3, 2.0f)});  // distance 1, fills the frame
    TestScene far = make_test_scene({square_mesh(0, 0, -2, 0.5f)});  // distance 6
    std::vector<GLubyte> walled = draw(&wall);
    EXPECT_EQ(lit_pixel_count(walled), FRAME_SIZE * FRAME_SIZE);

    // The depth of the wall is gone: the farther square passes the test.
    std::vector<GLubyte> behind = draw(&far);
    EXPECT_GT(centre(behind).r, 30);
    // And so are its colours: around the square there is black again.
    expect_black_corners(behind);
}

TEST_F(DrawScene, SameEyeGivesTheSameFrame)
{
    TestScene scene = make_test_scene({cube_mesh(0.75f), square_mesh(0.5f, 1.0f, -1.0f, 0.5f)});
    g_eye = {1.5f, -2.0f, 4.0f};
    std::vector<GLubyte> first = draw(&scene);
    // Whatever was left in the model-view matrix in between.
    glRotatef(33.0f, 1.0f, 2.0f, 3.0f);
    glTranslatef(0.5f, 0.25f, -1.0f);
    std::vector<GLubyte> second = draw(&scene);
    EXPECT_GT(lit_pixel_count(first), 100);
    EXPECT_TRUE(first == second);

    g_eye = {-1.5f, 2.0f, 4.0f};
    std::vector<GLubyte> moved = draw(&scene);
    EXPECT_FALSE(first == moved) << "the picture follows the eye";
}

// --- Which meshes and faces reach GL ---

struct MeshCountCase {
    const char* name;
    bool has_scene;
    std::vector<TestMesh> meshes;
    int32_t mesh_count_override;  // INT32_MIN: the number of meshes built
    GLuint expected_triangles;
};

TEST_F(DrawScene, OnlyTheFirstTwoMeshesThatExistAreDrawn)
{
    const int32_t built = INT32_MIN;
    TestMesh empty;
    const MeshCountCase cases[] = {
        {"no scene", false, {}, built, 0},
        {"mesh_count 0, no mesh array", true, {}, built, 0},
        {"mesh_count -1, no mesh array", true, {}, -1, 0},
        {"one mesh, array of one", true, {square_mesh(0, 0, 0, 0.5f)}, built, 2},
        {"two meshes", true, {square_mesh(0, 0, 0, 0.5f), cube_mesh(0.5f)}, built, 14},
        {"three meshes: the third is not drawn",
         true,
         {square_mesh(0, 0, 0, 0.5f), cube_mesh(0.5f), square_mesh(0, 0, 1, 0.5f)},
         built,
         14},
        {"first mesh without faces: the second is still drawn", true, {empty, cube_mesh(0.5f)}, built, 12},
        {"second mesh without faces", true, {cube_mesh(0.5f), empty}, built, 12},
        {"both meshes without faces", true, {empty, empty}, built, 0},
    };
    for (const MeshCountCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestScene scene = make_test_scene(c.meshes);
        if (c.mesh_count_override != built) scene.scene.mesh_count = c.mesh_count_override;
        g_scene = c.has_scene ? &scene.scene : nullptr;
        EXPECT_EQ(triangles_sent_by_draw_scene(), c.expected_triangles);
    }
}

TEST_F(DrawScene, ThirdMeshLeavesNoPixel)
{
    // The third mesh would fill the frame in front of the other two.
    g_eye = {0, 0, 4};
    TestScene scene =
        make_test_scene({square_mesh(-1, 0, 0, 0.25f), square_mesh(1, 0, 0, 0.25f), square_mesh(0, 0, 3, 3.0f)});
    std::vector<GLubyte> frame = draw(&scene);
    expect_black_corners(frame);
    EXPECT_TRUE(is_black(centre(frame)));
    EXPECT_GT(lit_pixel_count(frame), 60);
}

TEST_F(DrawScene, NoSceneOrNoMeshGivesAnEmptyFrame)
{
    g_eye = {0, 0, 4};
    TestScene lit = make_test_scene({square_mesh(0, 0, 0, 1.0f)});
    ASSERT_GT(lit_pixel_count(draw(&lit)), 0);
    EXPECT_EQ(lit_pixel_count(draw(nullptr)), 0);

    ASSERT_GT(lit_pixel_count(draw(&lit)), 0);
    TestScene no_meshes = make_test_scene({});
    EXPECT_EQ(lit_pixel_count(draw(&no_meshes)), 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << "glBegin and glEnd stay paired";
}

struct BadFaceCase {
    const char* name;
    std::array<uint16_t, 3> face;
};

TEST_F(DrawScene, FaceWithAnIndexOutOfRangeIsSkipped)
{
    // A square of 4 vertices; each bad face sits between its two triangles.
    const BadFaceCase cases[] = {
        {"first index = vertex_count", {4, 0, 1}},
        {"second index = vertex_count", {0, 4, 1}},
        {"third index = vertex_count", {0, 1, 4}},
        {"index 65535", {2, 3, 65535}},
    };
    g_eye = {0, 0, 4};
    for (const BadFaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestMesh mesh = square_mesh(0, 0, 0, 0.5f);
        mesh.faces.insert(mesh.faces.begin() + 1, c.face);
        // A second mesh with faces but no vertices at all.
        TestMesh hollow;
        hollow.faces = {{0, 0, 0}, {0, 1, 2}};
        TestScene scene = make_test_scene({mesh, hollow});
        ASSERT_EQ(scene.meshes[1].vertices, nullptr);

        g_scene = &scene.scene;
        EXPECT_EQ(triangles_sent_by_draw_scene(), 2u);
        std::vector<GLubyte> frame = draw(&scene);
        // Both valid triangles: the square is whole around the centre.
        const int third = FRAME_SIZE / 2 - 6;
        EXPECT_GT(pixel_at(&gl, frame, third, third).r, 60);
        EXPECT_GT(pixel_at(&gl, frame, FRAME_SIZE - 1 - third, FRAME_SIZE - 1 - third).r, 60);
        EXPECT_GT(pixel_at(&gl, frame, third, FRAME_SIZE - 1 - third).r, 60);
        EXPECT_GT(pixel_at(&gl, frame, FRAME_SIZE - 1 - third, third).r, 60);
        expect_black_corners(frame);
    }
}

// --- Face normals, read back as GL's current normal after the last face ---

struct NormalCase {
    const char* name;
    Vec3 p0, p1, p2;
    bool degenerate;  // no direction: any finite unit normal will do
    Vec3 expected;
};

TEST_F(DrawScene, FaceNormalIsTheUnitRightHandNormalAndAlwaysFinite)
{
    const float huge = 3e38f;
    const NormalCase cases[] = {
        {"counter-clockwise in the xy plane", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, false, {0, 0, 1}},
        {"clockwise in the xy plane", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, false, {0, 0, -1}},
        {"long edges: normalised", {0, 0, 0}, {0, 0, 2}, {3, 0, 0}, false, {0, 1, 0}},
        {"away from the origin", {1, 1, 1}, {2, 1, 1}, {1, 1, 3}, false, {0, -1, 0}},
        {"slanted", {0, 0, 0}, {1, 0, 0}, {0, 1, 1}, false, {0, -0.70710678f, 0.70710678f}},
        {"three equal corners", {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, true, {}},
        {"two equal corners", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, true, {}},
        {"corners on one line", {0, 0, 0}, {1, 2, 3}, {2, 4, 6}, true, {}},
        {"area below single precision", {0, 0, 0}, {1e-30f, 0, 0}, {0, 1e-30f, 0}, true, {}},
        {"edges beyond single precision", {-huge, 0, 0}, {huge, 0, 0}, {0, huge, 0}, true, {}},
    };
    for (const NormalCase& c : cases) {
        SCOPED_TRACE(c.name);
        // The face under test is the last one drawn: the last face of mesh 1.
        TestMesh first = square_mesh(0, 0, 0, 0.5f);
        TestMesh second;
        second.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, c.p0, c.p1, c.p2};
        second.faces = {{0, 1, 2}, {3, 4, 5}};
        TestScene scene = make_test_scene({first, second});
        g_scene = &scene.scene;
        draw_scene();

        GLfloat normal[3] = {-9, -9, -9};
        glGetFloatv(GL_CURRENT_NORMAL, normal);
        ASSERT_TRUE(isfinite(normal[0]) && isfinite(normal[1]) && isfinite(normal[2]))
            << normal[0] << ", " << normal[1] << ", " << normal[2];
        EXPECT_NEAR(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2], 1.0f, 1e-5f);
        if (!c.degenerate) {
            EXPECT_NEAR(normal[0], c.expected.x, 1e-6f);
            EXPECT_NEAR(normal[1], c.expected.y, 1e-6f);
            EXPECT_NEAR(normal[2], c.expected.z, 1e-6f);
        }
    }
}

TEST_F(DrawScene, TriangleWithoutAreaLeavesTheOthersDrawn)
{
    g_eye = {0, 0, 4};
    TestMesh mesh = square_mesh(0, 0, 0, 0.5f);
    mesh.faces.insert(mesh.faces.begin() + 1, {1, 1, 1});
    TestScene scene = make_test_scene({mesh});
    std::vector<GLubyte> with_degenerate = draw(&scene);
    TestScene plain = make_test_scene({square_mesh(0, 0, 0, 0.5f)});
    std::vector<GLubyte> without = draw(&plain);
    EXPECT_GT(centre(with_degenerate).r, 60);
    EXPECT_TRUE(with_degenerate == without);
}

}  // namespace

// --- The scene's display list ---

namespace {

// The carried model, loaded and turned as the saver does; null (and the
// case skipped) when the resource cannot be read.
Scene* load_carried_model()
{
    FILE* file = fopen(SAVER_RESOURCES_DIR "/head.3ds", "rb");
    if (file == nullptr) return nullptr;
    std::vector<char> bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    char error[LOAD_3DS_ERROR_TEXT_SIZE] = "";
    Scene* scene = load_3ds(error, bytes.data(), LOAD_3DS_MEMORY, (uint32_t)bytes.size());
    convert_scene_axes(scene);
    return scene;
}

}  // namespace

TEST_F(DrawScene, ListDrawsTheSamePixelsAsTriangleByTriangle)
{
    // Every mended case in one scene: a face out of range and one without
    // area in the first mesh, a third mesh that must stay undrawn.
    TestMesh mended = square_mesh(0.5f, 0, 0, 0.75f);
    mended.faces.insert(mended.faces.begin() + 1, {{1, 1, 1}, {0, 4, 2}});
    TestScene made = make_test_scene({mended, cube_mesh(0.6f), square_mesh(0, 0, 3, 3.0f)});
    TestScene one_mesh = make_test_scene({cube_mesh(1.0f)});
    Scene* model = load_carried_model();
    struct ListCase {
        const char* name;
        Scene* scene;
        int32_t drawn_meshes;
    } cases[] = {
        {"carried model", model, 2},
        {"mended cases, two meshes drawn", &made.scene, 2},
        {"mended cases, three meshes drawn", &made.scene, 3},
        {"fewer meshes than drawn", &one_mesh.scene, 2},
    };
    const Vec3 eyes[] = {{3, 4, 4}, {0, 0, 4}, {-3, -3, 4}, {2.9f, -1.1f, 4}, {-0.7f, 2.4f, 4}, {1.5f, 3, 4}};
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.scene == nullptr) {
            ADD_FAILURE() << "cannot load " SAVER_RESOURCES_DIR "/head.3ds";
            continue;
        }
        g_scene = c.scene;
        g_drawn_mesh_count = c.drawn_meshes;
        for (const Vec3& eye : eyes) {
            g_eye = eye;
            ASSERT_EQ(g_scene_list, 0u);
            std::vector<GLubyte> one_by_one = read_frame_after_draw();
            GLuint triangles = triangles_sent_by_draw_scene();
            compile_scene_list();
            ASSERT_NE(g_scene_list, 0u);
            std::vector<GLubyte> listed = read_frame_after_draw();
            EXPECT_GT(lit_pixel_count(listed), 100);
            EXPECT_TRUE(listed == one_by_one) << "eye " << eye.x << ", " << eye.y;
            EXPECT_EQ(triangles_sent_by_draw_scene(), triangles);
            release_scene_list();
        }
    }
    free_scene(model);
}

TEST_F(DrawScene, ListIsDrawnOnlyForTheSceneItWasCompiledFor)
{
    g_eye = {0, 0, 4};
    TestScene left = make_test_scene({square_mesh(-1, 0, 0, 0.5f)});
    TestScene right = make_test_scene({square_mesh(1, 0, 0, 0.5f), cube_mesh(0.25f)});
    g_scene = &right.scene;
    std::vector<GLubyte> right_frame = read_frame_after_draw();
    GLuint right_triangles = triangles_sent_by_draw_scene();

    g_scene = &left.scene;
    compile_scene_list();
    GLuint list = g_scene_list;
    ASSERT_TRUE(glIsList(list));
    // Another scene: its own triangles, not the list's.
    g_scene = &right.scene;
    EXPECT_TRUE(read_frame_after_draw() == right_frame);
    // No scene: an empty frame.
    g_scene = nullptr;
    EXPECT_EQ(lit_pixel_count(read_frame_after_draw()), 0);
    // Fewer meshes drawn than the list holds.
    g_scene = &right.scene;
    compile_scene_list();
    EXPECT_FALSE(glIsList(list)) << "compiling again releases the list before";
    g_drawn_mesh_count = 1;
    EXPECT_EQ(triangles_sent_by_draw_scene(), 2u);
    g_drawn_mesh_count = 2;
    EXPECT_EQ(triangles_sent_by_draw_scene(), right_triangles);

    list = g_scene_list;
    release_scene_list();
    EXPECT_EQ(g_scene_list, 0u);
    EXPECT_FALSE(glIsList(list));
    EXPECT_TRUE(read_frame_after_draw() == right_frame) << "without a list the triangles go one by one";
    release_scene_list();  // nothing left to release

    g_scene = nullptr;
    compile_scene_list();
    EXPECT_EQ(g_scene_list, 0u) << "no scene, no list";
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
