// frame_clock.cpp - the frame clock's arithmetic; see frame_clock.h.
#include "frame_clock.h"

#include <math.h>

#include "view.h"

int64_t g_last_counter = 0;
double g_anim_time = 0.0;

namespace {

// Counter ticks per second are scaled to 100000 units, then by the time
// scale, a single-precision constant widened to double: 400.000019 per second.
const double COUNTER_SCALE = 100000.0;
const float TIME_SCALE = 0.004f;
// Sway rates per unit of animation time, quarter turns over 990 and 1170
// units, and the sway's amplitude in model units.
const double SWAY_RATE_X = 1.5707965 / 990.0;
const double SWAY_RATE_Y = 1.5707965 / 1170.0;
const double SWAY_AMPLITUDE = 3.0;

}  // namespace

void advance_frame_clock(int64_t counter, int64_t frequency)
{
    // Two's-complement difference: a counter that wraps still gives the
    // ticks between the two readings.
    int64_t delta = (int64_t)((uint64_t)counter - (uint64_t)g_last_counter);
    g_last_counter = counter;
    // A counter without a frequency stands still rather than turning the
    // eye into infinities.
    double increment = frequency > 0 ? (double)delta * COUNTER_SCALE / (double)frequency * (double)TIME_SCALE : 0.0;
    g_anim_time = g_anim_time + increment;
    g_eye.x = (float)(sin(g_anim_time * SWAY_RATE_X) * SWAY_AMPLITUDE);
    g_eye.y = (float)(sin(g_anim_time * SWAY_RATE_Y) * SWAY_AMPLITUDE);
}
