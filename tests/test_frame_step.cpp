// The frame step that both front ends run (through a real GL, OSMesa): the
// clock read, the frame drawn and flushed, the measuring build told, the
// pause of the length asked for, and the swap, in that order. Each front
// end's own pause length is pinned by its own tests.
#include <string>
#include <vector>

#include "frame_clock.h"
#include "frame_step.h"
#include "render_test_support.h"

namespace {

// What each step did, in order; the platform's functions get it as their
// context, the flush through these two.
const OffscreenGl* g_flushed_gl = nullptr;
std::vector<std::string>* g_flush_calls = nullptr;

std::vector<std::string>* calls_of(void* context) { return (std::vector<std::string>*)context; }

void record_clock(void* context, int64_t* counter, int64_t* frequency)
{
    calls_of(context)->push_back("clock");
    *counter = *frequency = 1000;  // one second
}
void APIENTRY record_flush()
{
    g_flush_calls->push_back(lit_pixel_count(read_frame(g_flushed_gl)) > 0 ? "flush of a drawn frame" : "flush");
}
void record_drawn(void* context) { calls_of(context)->push_back("drawn"); }
void record_pause(void* context, int64_t us) { calls_of(context)->push_back("pause " + std::to_string(us)); }
void record_swap(void* context) { calls_of(context)->push_back("swap"); }

class FrameStep : public OffscreenGlTest {};

TEST_F(FrameStep, ClockDrawFlushPauseSwapInThatOrder)
{
    open_view();
    TestScene scene = make_test_scene({cube_mesh(0.75f)});
    g_scene = &scene.scene;
    std::vector<std::string> calls;
    g_flushed_gl = &gl;
    g_flush_calls = &calls;
    g_frame_flush = record_flush;
    const FramePlatform platform = {record_clock, record_drawn, record_pause, record_swap, &calls, 12345};
    run_frame(&platform);
    g_frame_flush = glFlush;
    EXPECT_EQ(calls, (std::vector<std::string>{"clock", "flush of a drawn frame", "drawn", "pause 12345", "swap"}));
    EXPECT_EQ(g_last_counter, 1000) << "the clock's reading reaches the frame clock";
    g_last_counter = 0;
    g_anim_time = 0.0;
}

}  // namespace
