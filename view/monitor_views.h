// monitor_views.h - where the full-screen window draws its views: from the
// monitors' rectangles, the virtual screen and the user's monitor layout, the
// list of GL viewports within the one window that spans the virtual screen.
// Portable arithmetic; the GL window gathers the rectangles from the
// platform, and the renderer draws the views (draw_views).
#ifndef VIEW_MONITOR_VIEWS_H
#define VIEW_MONITOR_VIEWS_H

#include <stdint.h>

#include "view.h"

// A rectangle in the platform's screen coordinates, in pixels: origin at the
// primary monitor's top-left corner, y growing downwards (so a monitor left
// of or above the primary has negative coordinates).
struct ScreenRect {
    int32_t x, y, width, height;
};

struct Monitor {
    ScreenRect rect;
    bool primary;
};

// A GL viewport within the window, in pixels: origin at the window's
// bottom-left corner, y growing upwards.
struct GlViewport {
    int32_t x, y, width, height;
};

// At most this many views; monitors past it get none (they stay black).
enum { MAX_MONITOR_VIEWS = 16 };

struct MonitorViews {
    int32_t window_width, window_height;  // the window's client size, pixels
    int32_t count;                        // 0: no views set, draw the whole window as one
    GlViewport views[MAX_MONITOR_VIEWS];
    // Part of the window lies in no view (a gap between monitors of
    // different sizes, or monitors left black): clear it all before the views.
    bool clear_window;
};

// The views of the full-screen window: the monitors given, the virtual
// screen (the window's rectangle) and the layout. MONITORS_EACH: one view
// per monitor, clipped to the window; MONITORS_ACROSS, or fewer than two
// monitors: one view covering the window; MONITORS_PRIMARY: one view on
// the primary monitor (the first given when none is flagged).
void compute_monitor_views(const Monitor* monitors, int32_t monitor_count, ScreenRect virtual_screen,
                           MonitorLayout layout, MonitorViews* out);

// True when views holds exactly one view covering the whole window, or none:
// the frame is drawn as a window with one monitor draws it.
bool is_single_window_view(const MonitorViews* views);

// The full-screen window's views (count 0 until the GL window sets them;
// the preview and headsaver leave it so).
extern MonitorViews g_monitor_views;

#endif
