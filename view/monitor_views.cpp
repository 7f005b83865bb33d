// monitor_views.cpp - the full-screen window's views; see monitor_views.h.
#include "monitor_views.h"

#include <string.h>

MonitorViews g_monitor_views = {0, 0, 0, {}, false};

namespace {

int32_t max_of(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t min_of(int32_t a, int32_t b) { return a < b ? a : b; }

// Adds the part of a monitor's rectangle inside the window as a view; a
// monitor wholly outside adds nothing.
void add_view(MonitorViews* out, ScreenRect window, ScreenRect monitor)
{
    if (out->count >= MAX_MONITOR_VIEWS) return;
    int32_t left = max_of(monitor.x, window.x);
    int32_t top = max_of(monitor.y, window.y);
    int32_t right = min_of(monitor.x + monitor.width, window.x + window.width);
    int32_t bottom = min_of(monitor.y + monitor.height, window.y + window.height);
    if (right <= left || bottom <= top) return;
    // GL counts rows from the window's bottom edge.
    out->views[out->count++] = {left - window.x, window.y + window.height - bottom, right - left, bottom - top};
}

}  // namespace

void compute_monitor_views(const Monitor* monitors, int32_t monitor_count, ScreenRect virtual_screen,
                           MonitorLayout layout, MonitorViews* out)
{
    memset(out, 0, sizeof *out);
    out->window_width = virtual_screen.width;
    out->window_height = virtual_screen.height;
    if (monitor_count < 2 || layout == MONITORS_ACROSS) {
        add_view(out, virtual_screen, virtual_screen);
    } else if (layout == MONITORS_PRIMARY) {
        int32_t primary = 0;
        for (int32_t i = 0; i < monitor_count; i++) {
            if (monitors[i].primary) {
                primary = i;
                break;
            }
        }
        add_view(out, virtual_screen, monitors[primary].rect);
    } else {
        for (int32_t i = 0; i < monitor_count; i++) add_view(out, virtual_screen, monitors[i].rect);
    }
    int64_t covered = 0;
    for (int32_t i = 0; i < out->count; i++) covered += (int64_t)out->views[i].width * out->views[i].height;
    out->clear_window = covered != (int64_t)virtual_screen.width * virtual_screen.height;
}

bool is_single_window_view(const MonitorViews* views)
{
    if (views->count == 0) return true;
    const GlViewport* v = &views->views[0];
    return views->count == 1 && v->x == 0 && v->y == 0 && v->width == views->window_width &&
           v->height == views->window_height;
}
