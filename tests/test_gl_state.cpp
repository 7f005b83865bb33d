// The fixed GL state and the projection, read back from a real GL (OSMesa)
// with glGet*. Before the calls under test the state is set to values that
// differ from both GL's defaults and the renderer's values, so that every
// value read back was written by the renderer.
#include <gtest/gtest.h>
#include <math.h>

#include <GL/glu.h>

#include "render_test_support.h"

namespace {

// gluPerspective's matrix, column by column, worked out from its definition:
// f = cot(fovy / 2), then f / aspect, f, (far + near) / (near - far), -1 and
// 2 far near / (near - far).
std::array<double, 16> perspective_matrix(double fovy_degrees, double aspect, double z_near, double z_far)
{
    const double pi = 3.14159265358979323846;
    double f = 1.0 / tan(fovy_degrees * pi / 360.0);
    std::array<double, 16> m{};
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (z_far + z_near) / (z_near - z_far);
    m[11] = -1.0;
    m[14] = 2.0 * z_far * z_near / (z_near - z_far);
    return m;
}

// The near plane: single-precision 0.1, widened to double.
const double NEAR_PLANE = (double)0.1f;

void expect_matrix_near(const GLfloat* actual, const std::array<double, 16>& expected)
{
    for (int i = 0; i < 16; ++i) {
        double tolerance = 2e-6 * (fabs(expected[(size_t)i]) + 1e-3);
        EXPECT_NEAR(actual[i], expected[(size_t)i], tolerance) << "element " << i;
    }
}

void expect_identity(GLenum which)
{
    GLfloat m[16];
    glGetFloatv(which, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "element " << i;
}

void expect_vec4(GLenum which_light_or_face, GLenum pname, bool is_light, std::array<float, 4> expected,
                 const char* what)
{
    SCOPED_TRACE(what);
    GLfloat v[4] = {-9, -9, -9, -9};
    if (is_light) {
        glGetLightfv(which_light_or_face, pname, v);
    } else {
        glGetMaterialfv(which_light_or_face, pname, v);
    }
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(v[i], expected[(size_t)i]) << "component " << i;
}

GLint get_integer(GLenum pname)
{
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}

GLfloat get_float(GLenum pname)
{
    GLfloat value = -1;
    glGetFloatv(pname, &value);
    return value;
}

// Sets every piece of state that init_gl_state and resize_gl_view write to
// something else, and leaves a junk projection current.
void dirty_the_state()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -2, 7, 1, 9);
    glViewport(3, 4, 5, 6);

    glClearColor(0.5f, 0.25f, 0.125f, 1.0f);
    glClearDepth(0.25);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_GREATER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glFogi(GL_FOG_MODE, GL_EXP2);
    const GLfloat fog_color[4] = {1.0f, 0.5f, 0.25f, 0.5f};
    glFogfv(GL_FOG_COLOR, fog_color);
    glFogf(GL_FOG_DENSITY, 0.9f);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_START, 3.0f);
    glFogf(GL_FOG_END, 7.0f);
    glDisable(GL_FOG);

    const GLfloat junk[4] = {0.3f, 0.4f, 0.6f, 0.5f};
    const GLfloat junk_position[4] = {1.0f, 2.0f, 3.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, junk);
    glLightfv(GL_LIGHT0, GL_SPECULAR, junk);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, junk);
    glLightfv(GL_LIGHT0, GL_POSITION, junk_position);
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        glMaterialfv(face, GL_AMBIENT, junk);
        glMaterialfv(face, GL_DIFFUSE, junk);
        glMaterialfv(face, GL_SPECULAR, junk);
        glMaterialf(face, GL_SHININESS, 5.0f);
    }
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
}

struct ViewCase {
    const char* name;
    int width, height;
    GLint viewport_height;  // after the guard
    double aspect;
};

using GlState = OffscreenGlTest;

TEST_F(GlState, ResizeSetsViewportAndPerspectiveAndLeavesModelViewIdentity)
{
    const ViewCase cases[] = {
        {"640 x 480", 640, 480, 480, 640.0 / 480.0},          {"1920 x 1080", 1920, 1080, 1080, 1920.0 / 1080.0},
        {"portrait 480 x 640", 480, 640, 640, 480.0 / 640.0}, {"square: aspect 1", 96, 96, 96, 1.0},
        {"height 0 counts as 1", 300, 0, 1, 300.0},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.name);
        dirty_the_state();
        resize_gl_view(c.width, c.height);

        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.width);
        EXPECT_EQ(viewport[3], c.viewport_height);

        // Read back from GL: also proves that GLU's calls reach the OSMesa
        // context (otherwise the projection would still be the junk one).
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        expect_matrix_near(projection, perspective_matrix(80.0, c.aspect, NEAR_PLANE, 100.0));

        EXPECT_EQ(get_integer(GL_MATRIX_MODE), GL_MODELVIEW);
        expect_identity(GL_MODELVIEW_MATRIX);
    }
}

TEST_F(GlState, SquareViewHasAspectExactlyOne)
{
    resize_gl_view(200, 200);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(projection[0], projection[5]);
}

TEST_F(GlState, ProjectionMapsTheClippingPlanesToTheDepthRange)
{
    // A point on the axis at 0.1 lands on depth -1, at 100 on +1; the view
    // half-height at distance d is d tan 40 degrees.
    resize_gl_view(FRAME_SIZE, FRAME_SIZE);
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x, y, z;
    ASSERT_TRUE(gluProject(0, 0, -NEAR_PLANE, modelview, projection, viewport, &x, &y, &z));
    EXPECT_NEAR(z, 0.0, 1e-5);
    ASSERT_TRUE(gluProject(0, 0, -100.0, modelview, projection, viewport, &x, &y, &z));
    EXPECT_NEAR(z, 1.0, 1e-5);
    double top = 5.0 * tan(40.0 * 3.14159265358979323846 / 180.0);
    ASSERT_TRUE(gluProject(0, top, -5.0, modelview, projection, viewport, &x, &y, &z));
    EXPECT_NEAR(x, FRAME_SIZE / 2.0, 1e-3);
    EXPECT_NEAR(y, FRAME_SIZE, 1e-3);
}

TEST_F(GlState, InitSetsEveryValueOverDirtyState)
{
    dirty_the_state();
    resize_gl_view(FRAME_SIZE, FRAME_SIZE);
    EXPECT_TRUE(init_gl_state());

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(clear[i], 0.0f) << "clear colour component " << i;
    EXPECT_EQ(get_float(GL_DEPTH_CLEAR_VALUE), 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(get_integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(get_integer(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);

    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_EQ(get_integer(GL_FOG_MODE), GL_LINEAR);
    GLfloat fog_color[4];
    glGetFloatv(GL_FOG_COLOR, fog_color);
    EXPECT_EQ(fog_color[0], 0.0f);
    EXPECT_EQ(fog_color[1], 0.0f);
    EXPECT_EQ(fog_color[2], 0.0f);
    EXPECT_EQ(fog_color[3], 1.0f);
    EXPECT_FLOAT_EQ(get_float(GL_FOG_DENSITY), 0.15f);
    EXPECT_EQ(get_integer(GL_FOG_HINT), GL_DONT_CARE);
    EXPECT_FLOAT_EQ(get_float(GL_FOG_START), 0.5f);
    EXPECT_FLOAT_EQ(get_float(GL_FOG_END), 15.0f);

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    expect_vec4(GL_LIGHT0, GL_AMBIENT, true, {0.1f, 0.1f, 0.1f, 1.0f}, "light ambient");
    expect_vec4(GL_LIGHT0, GL_SPECULAR, true, {1.0f, 1.0f, 1.0f, 1.0f}, "light specular");
    expect_vec4(GL_LIGHT0, GL_DIFFUSE, true, {1.0f, 1.0f, 1.0f, 1.0f}, "light diffuse");
    // GL keeps the position in eye coordinates: (5, 5, 5, 1) only when it
    // was given under an identity model-view matrix.
    expect_vec4(GL_LIGHT0, GL_POSITION, true, {5.0f, 5.0f, 5.0f, 1.0f}, "light position (eye)");

    for (GLenum face : {GL_FRONT, GL_BACK}) {
        SCOPED_TRACE(face == GL_FRONT ? "front material" : "back material");
        expect_vec4(face, GL_AMBIENT, false, {0.2f, 0.2f, 0.2f, 1.0f}, "ambient");
        expect_vec4(face, GL_DIFFUSE, false, {0.7f, 0.7f, 0.7f, 1.0f}, "diffuse");
        expect_vec4(face, GL_SPECULAR, false, {1.0f, 1.0f, 1.0f, 1.0f}, "specular");
        expect_vec4(face, GL_EMISSION, false, {0.0f, 0.0f, 0.0f, 1.0f}, "emission (untouched)");
        GLfloat shininess = -1;
        glGetMaterialfv(face, GL_SHININESS, &shininess);
        EXPECT_EQ(shininess, 30.0f);
    }
    GLint two_sided = -1;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two_sided);
    EXPECT_EQ(two_sided, GL_TRUE);

    EXPECT_EQ(get_integer(GL_MATRIX_MODE), GL_MODELVIEW);
    expect_identity(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(GlState, InitLeavesTheRestAtGlDefaults)
{
    open_view();
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(get_integer(GL_SHADE_MODEL), GL_SMOOTH);
    GLint local_viewer = -1;
    glGetIntegerv(GL_LIGHT_MODEL_LOCAL_VIEWER, &local_viewer);
    EXPECT_EQ(local_viewer, GL_FALSE);
    GLfloat global_ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, global_ambient);
    EXPECT_FLOAT_EQ(global_ambient[0], 0.2f);
    GLfloat attenuation = -1;
    glGetLightfv(GL_LIGHT0, GL_CONSTANT_ATTENUATION, &attenuation);
    EXPECT_EQ(attenuation, 1.0f);
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &attenuation);
    EXPECT_EQ(attenuation, 0.0f);
    glGetLightfv(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, &attenuation);
    EXPECT_EQ(attenuation, 0.0f);
}

TEST_F(GlState, FogModeIsTheTableEntryAtTheIndex)
{
    const GLint expected[3] = {GL_EXP, GL_EXP2, GL_LINEAR};
    for (int32_t index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        glFogi(GL_FOG_MODE, GL_LINEAR == expected[index] ? GL_EXP : GL_LINEAR);
        g_fog_mode_index = index;
        open_view();
        EXPECT_EQ(get_integer(GL_FOG_MODE), expected[index]);
    }
    g_fog_mode_index = 2;
}

TEST_F(GlState, LightPositionStaysInEyeSpaceWhileTheCameraMoves)
{
    open_view();
    g_eye = {-2.0f, 1.0f, 4.0f};
    draw_scene();
    // The model-view matrix now holds the camera; the light was not given
    // again under it.
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_NEAR(modelview[14], -sqrt(4.0 + 1.0 + 16.0), 1e-5);
    expect_vec4(GL_LIGHT0, GL_POSITION, true, {5.0f, 5.0f, 5.0f, 1.0f}, "light position (eye)");
}

}  // namespace
