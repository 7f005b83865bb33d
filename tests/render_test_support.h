// render_test_support.h - what the renderer's tests share: an off-screen GL
// context (Mesa's OSMesa, RGBA with a 24-bit depth buffer), pixel read-back,
// the count of triangles GL received, and scenes built in memory with
// arrays of exactly the sizes their counts give, so that a read past one is
// caught by AddressSanitizer.
#ifndef TESTS_RENDER_TEST_SUPPORT_H
#define TESTS_RENDER_TEST_SUPPORT_H

#include <stdint.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include "render.h"

// --- Off-screen context ---

struct OffscreenGl {
    OSMesaContext context = nullptr;
    std::vector<GLubyte> buffer;  // width x height RGBA, bottom row first
    int width = 0;
    int height = 0;
};

// Creates the context and makes it current; false on failure.
bool open_offscreen_gl(OffscreenGl* gl, int width, int height);
// Destroys the context; accepts one that was never opened.
void close_offscreen_gl(OffscreenGl* gl);

// Fixture: a fresh OSMesa context of FRAME_SIZE x FRAME_SIZE pixels per test,
// current for the whole test, and the renderer's globals at their initial
// values before and after.
enum { FRAME_SIZE = 96 };

class OffscreenGlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // resize_gl_view and init_gl_state for the whole frame, as the GL window
    // does when it opens.
    void open_view();

    OffscreenGl gl;
};

// --- Pixels ---

struct Rgba {
    int r, g, b, a;
};

// The colour buffer as glReadPixels gives it: RGBA bytes, bottom row first.
std::vector<GLubyte> read_frame(const OffscreenGl* gl);
// One pixel of a read frame; (0, 0) is the bottom-left corner.
Rgba pixel_at(const OffscreenGl* gl, const std::vector<GLubyte>& frame, int x, int y);
// Count of pixels whose red, green or blue is not 0.
int lit_pixel_count(const std::vector<GLubyte>& frame);

// --- Images ---

// Writes a 24-bit BMP of width x height at path; colour(x, y) gives each
// pixel's RGB, y = 0 being the picture's bottom row.
void write_bmp(const std::string& path, int width, int height,
               const std::function<std::array<uint8_t, 3>(int, int)>& colour);

// --- Triangles that reached GL ---

// The number of triangles that draw_scene sent to GL, counted by GL itself
// (a pipeline-statistics query of primitives submitted, before clipping).
GLuint triangles_sent_by_draw_scene();

// --- Scenes built in memory ---

struct TestMesh {
    std::vector<Vec3> positions;
    std::vector<std::array<uint16_t, 3>> faces;
};

// A Scene over arrays owned here. draw_scene reads only meshes, face_count,
// faces, vertex_count, vertices and positions; the rest stays zero.
struct TestScene {
    std::vector<std::vector<Vertex>> vertices;
    std::vector<std::vector<Face>> faces;
    std::vector<Mesh> meshes;
    Scene scene{};
};

// Builds a scene of the given meshes; mesh_count is their number and meshes
// is null when there are none. Moving the result keeps the arrays in place.
TestScene make_test_scene(const std::vector<TestMesh>& meshes);

// A square of side 2 * half in the plane z = z, centred on (x, y), whose
// corners run counter-clockwise seen from +z (its normal is +z), or
// clockwise when facing_away.
TestMesh square_mesh(float x, float y, float z, float half, bool facing_away = false);
// A cube of side 2 * half centred on the origin, every face wound
// counter-clockwise seen from outside.
TestMesh cube_mesh(float half);

#endif
