// A frame in a window that spans two monitors (a desk of 80x60 and 64x48 to
// its right, the saver's two-monitor test desk scaled down), drawn through a
// real GL (OSMesa): each monitor shows the model in its own middle at its
// own proportions, what lies on no monitor is black, the primary-only layout
// leaves the other monitor black, a view touches no pixel outside itself;
// one view covering the window is exactly draw_scene, the window's
// projection untouched.
#include <stdlib.h>

#include <vector>

#include "render_test_support.h"

namespace {

const ScreenRect DESK = {0, 0, 144, 60};
const Monitor MONITORS[2] = {{{0, 0, 80, 60}, true}, {{80, 0, 64, 48}, false}};

// The box round the lit pixels of a region of a frame (GL's bottom-up rows).
struct LitBox {
    int count = 0, left = 1 << 20, right = -1, bottom = 1 << 20, top = -1;
};

LitBox lit_box(const OffscreenGl* gl, const std::vector<GLubyte>& frame, int x, int y, int width, int height)
{
    LitBox box;
    for (int j = y; j < y + height; j++) {
        for (int i = x; i < x + width; i++) {
            Rgba p = pixel_at(gl, frame, i, j);
            if (p.r == 0 && p.g == 0 && p.b == 0) continue;
            box.count++;
            box.left = std::min(box.left, i);
            box.right = std::max(box.right, i);
            box.bottom = std::min(box.bottom, j);
            box.top = std::max(box.top, j);
        }
    }
    return box;
}

class DrawViews : public OffscreenGlTest {
protected:
    // A window of the desk's size holding a white picture (what was there
    // before), a square facing the eye straight ahead, and the views of
    // layout; returns the frame draw_views gives.
    std::vector<GLubyte> draw_desk(MonitorLayout layout)
    {
        compute_monitor_views(MONITORS, 2, DESK, layout, &views);
        return draw_desk_views();
    }

    // The same with the views as they are in views.
    std::vector<GLubyte> draw_desk_views()
    {
        close_offscreen_gl(&gl);
        EXPECT_TRUE(open_offscreen_gl(&gl, DESK.width, DESK.height));
        open_view();
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        g_eye = {0.0f, 0.0f, 3.0f};
        scene = make_test_scene({square_mesh(0, 0, 0, 1.0f)});
        g_scene = &scene.scene;
        draw_views(&views);
        return read_frame(&gl);
    }

    // The model in the middle of the view, as high as it is wide.
    void expect_square_in_middle(const std::vector<GLubyte>& frame, int x, int y, int width, int height)
    {
        LitBox box = lit_box(&gl, frame, x, y, width, height);
        ASSERT_GT(box.count, 0) << "nothing lit in the view at " << x << "," << y;
        EXPECT_LE(abs((box.left + box.right + 1) - (2 * x + width)), 2) << "off centre across, view at " << x;
        EXPECT_LE(abs((box.bottom + box.top + 1) - (2 * y + height)), 2) << "off centre upwards, view at " << x;
        EXPECT_LE(abs((box.right - box.left) - (box.top - box.bottom)), 2)
            << "not the view's own proportions: " << box.right - box.left + 1 << " x " << box.top - box.bottom + 1;
    }

    TestScene scene;
    MonitorViews views;
};

TEST_F(DrawViews, EachMonitorShowsTheModelInItsMiddleAndNoMonitorIsBlack)
{
    std::vector<GLubyte> frame = draw_desk(MONITORS_EACH);
    expect_square_in_middle(frame, 0, 0, 80, 60);
    expect_square_in_middle(frame, 80, 12, 64, 48);
    EXPECT_EQ(lit_box(&gl, frame, 80, 0, 64, 12).count, 0) << "the area on no monitor keeps the old picture";
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(DrawViews, PrimaryOnlyLeavesTheOtherMonitorBlack)
{
    std::vector<GLubyte> frame = draw_desk(MONITORS_PRIMARY);
    expect_square_in_middle(frame, 0, 0, 80, 60);
    EXPECT_EQ(lit_box(&gl, frame, 80, 0, 64, 60).count, 0);
}

// A view wider than high with nothing cleared around it: it is cleared and
// drawn within its own rectangle, and every pixel outside keeps the old
// white picture.
TEST_F(DrawViews, AViewTouchesNoPixelOutsideItself)
{
    const GlViewport view = {10, 5, 50, 20};
    views = {DESK.width, DESK.height, 1, {view}, false};
    std::vector<GLubyte> frame = draw_desk_views();
    int white_inside = 0;
    int other_outside = 0;
    for (int y = 0; y < DESK.height; y++) {
        for (int x = 0; x < DESK.width; x++) {
            Rgba p = pixel_at(&gl, frame, x, y);
            bool white = p.r == 255 && p.g == 255 && p.b == 255;
            bool inside = x >= view.x && x < view.x + view.width && y >= view.y && y < view.y + view.height;
            white_inside += inside && white;
            other_outside += !inside && !white;
        }
    }
    EXPECT_EQ(white_inside, 0) << "the view was not wholly cleared";
    EXPECT_EQ(other_outside, 0) << "pixels outside the view were touched";
    expect_square_in_middle(frame, view.x, view.y, view.width, view.height);
}

TEST_F(DrawViews, OneViewOverTheWindowIsDrawSceneWithTheWindowsProjection)
{
    open_view();
    TestScene cube = make_test_scene({cube_mesh(0.75f)});
    g_scene = &cube.scene;
    // A projection of its own, to see that the view keeps it.
    resize_gl_view(FRAME_SIZE / 2, FRAME_SIZE);
    draw_scene();
    std::vector<GLubyte> expected = read_frame(&gl);
    compute_monitor_views(MONITORS, 1, {0, 0, FRAME_SIZE, FRAME_SIZE}, MONITORS_EACH, &views);
    ASSERT_EQ(views.count, 1);
    draw_views(&views);
    EXPECT_TRUE(read_frame(&gl) == expected) << "not the frame draw_scene draws";
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], FRAME_SIZE / 2) << "the window's viewport was replaced";
}

}  // namespace
