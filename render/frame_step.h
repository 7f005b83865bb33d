// frame_step.h - one frame of the saver, the same for every front end: read
// the clock, advance the frame clock, draw the scene, flush, tell the
// measuring build, pause, show the back buffer. Portable GL; the platform's
// clock, pause and buffer swap are handed in.
//
// The drawing is flushed before the pause, so that GL renders the frame
// while the program sleeps rather than inside the swap after it.
#ifndef RENDER_FRAME_STEP_H
#define RENDER_FRAME_STEP_H

#include <stdint.h>

#include <GL/gl.h>

// What a front end supplies for its frames. Every function gets context.
struct FramePlatform {
    // Reads the clock: its value now and its ticks per second.
    void (*read_clock)(void* context, int64_t* counter, int64_t* frequency);
    // Called once the frame is drawn and flushed, before the pause (the
    // measuring builds count frames here); may be null.
    void (*frame_drawn)(void* context);
    // Pauses for pause_us microseconds.
    void (*pause)(void* context, int64_t microseconds);
    // Shows the back buffer.
    void (*swap_buffers)(void* context);
    void* context;
    int64_t pause_us;  // the pause after each frame, in microseconds
};

// How a frame is flushed: glFlush. A test may put its own function here to
// see when the flush comes.
extern void(APIENTRY* g_frame_flush)(void);

// Runs one frame: clock, the scene drawn in every view of g_monitor_views
// (draw_views; draw_scene once when there is one), flush, frame_drawn,
// pause, swap, in that order. Needs the GL state of init_gl_state and a current context.
void run_frame(const FramePlatform* platform);

#endif
