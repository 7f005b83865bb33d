// draw_views.cpp - one frame in every view of the full-screen window: a view
// per monitor, each cleared, projected and drawn on its own, all from the
// same camera. Depends on OpenGL 1.1 and draw_scene.
#include <GL/gl.h>

#include "render.h"

void draw_views(const MonitorViews* views)
{
    if (is_single_window_view(views)) {
        draw_scene();
        return;
    }
    if (views->clear_window) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    for (int32_t i = 0; i < views->count; i++) {
        const GlViewport* view = &views->views[i];
        glScissor(view->x, view->y, view->width, view->height);
        set_gl_view(view->x, view->y, view->width, view->height);
        draw_scene();
    }
    glDisable(GL_SCISSOR_TEST);
}
