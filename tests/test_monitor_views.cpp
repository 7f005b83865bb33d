// The full-screen window's views from the monitors: one per monitor at its
// place in GL's bottom-up coordinates, one across the window, or the
// primary's only; monitors left of or above the primary (negative
// coordinates) and of different heights.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "monitor_views.h"

namespace {

// "x,y WxH" per view, then "single" when drawn as one window, "clear" when
// areas lie in no view.
std::string describe(const MonitorViews& v)
{
    std::string text;
    for (int32_t i = 0; i < v.count; i++) {
        const GlViewport& g = v.views[i];
        text += std::to_string(g.x) + "," + std::to_string(g.y) + " " + std::to_string(g.width) + "x" +
                std::to_string(g.height) + "; ";
    }
    if (is_single_window_view(&v)) text += "single";
    if (v.clear_window) text += "clear";
    return text;
}

struct Case {
    const char* name;
    std::vector<Monitor> monitors;
    ScreenRect virtual_screen;
    MonitorLayout layout;
    const char* views;
};

const Monitor PRIMARY_800 = {{0, 0, 800, 600}, true};
const Monitor RIGHT_640 = {{800, 0, 640, 480}, false};
const ScreenRect DESK = {0, 0, 1440, 600};

TEST(MonitorViews, FromTheMonitorsAndTheLayout)
{
    const Case cases[] = {
        {"one monitor", {PRIMARY_800}, {0, 0, 800, 600}, MONITORS_EACH, "0,0 800x600; single"},
        {"one monitor, primary only", {PRIMARY_800}, {0, 0, 800, 600}, MONITORS_PRIMARY, "0,0 800x600; single"},
        {"none reported", {}, {0, 0, 800, 600}, MONITORS_EACH, "0,0 800x600; single"},
        {"each, the second lower",
         {PRIMARY_800, RIGHT_640},
         DESK,
         MONITORS_EACH,
         "0,0 800x600; 800,120 640x480; clear"},
        {"across", {PRIMARY_800, RIGHT_640}, DESK, MONITORS_ACROSS, "0,0 1440x600; single"},
        {"primary only", {RIGHT_640, PRIMARY_800}, DESK, MONITORS_PRIMARY, "0,0 800x600; clear"},
        {"left of the primary, lower",
         {{{0, 0, 1280, 1024}, true}, {{-1024, 100, 1024, 768}, false}},
         {-1024, 0, 2304, 1024},
         MONITORS_EACH,
         "1024,0 1280x1024; 0,156 1024x768; clear"},
        {"above the primary",
         {{{0, -1080, 1920, 1080}, false}, {{0, 0, 1920, 1080}, true}},
         {0, -1080, 1920, 2160},
         MONITORS_EACH,
         "0,1080 1920x1080; 0,0 1920x1080; "},
        {"touching the window's edges only",
         {PRIMARY_800, RIGHT_640, {{1440, 0, 640, 480}, false}, {{0, 600, 800, 600}, false}},
         DESK,
         MONITORS_EACH,
         "0,0 800x600; 800,120 640x480; clear"},
        {"partly outside the virtual screen",
         {PRIMARY_800, {{800, -100, 640, 480}, false}},
         DESK,
         MONITORS_EACH,
         "0,0 800x600; 800,220 640x380; clear"},
    };
    for (const Case& c : cases) {
        MonitorViews views;
        compute_monitor_views(c.monitors.data(), (int32_t)c.monitors.size(), c.virtual_screen, c.layout, &views);
        EXPECT_EQ(describe(views), c.views) << c.name;
        EXPECT_EQ(views.window_width, c.virtual_screen.width) << c.name;
        EXPECT_EQ(views.window_height, c.virtual_screen.height) << c.name;
    }
}

TEST(MonitorViews, NoViewsSetIsOneWindow)
{
    MonitorViews none = {640, 480, 0, {}, false};
    EXPECT_TRUE(is_single_window_view(&none));
    EXPECT_EQ(g_monitor_views.count, 0) << "the preview and headsaver draw the window as one";
}

}  // namespace
