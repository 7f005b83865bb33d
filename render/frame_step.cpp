// frame_step.cpp - one frame of the saver; see frame_step.h. Depends on
// OpenGL 1.1, the renderer's draw_views and the view's frame clock and
// monitor views.
#include "frame_step.h"

#include "frame_clock.h"
#include "render.h"

void(APIENTRY* g_frame_flush)(void) = glFlush;

void run_frame(const FramePlatform* platform)
{
    int64_t counter = 0;
    int64_t frequency = 0;
    platform->read_clock(platform->context, &counter, &frequency);
    advance_frame_clock(counter, frequency);
    draw_views(&g_monitor_views);
    g_frame_flush();
    if (platform->frame_drawn != nullptr) platform->frame_drawn(platform->context);
    platform->pause(platform->context, platform->pause_us);
    platform->swap_buffers(platform->context);
}
