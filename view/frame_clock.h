// frame_clock.h - the frame clock: from the performance counter to the
// animation time and the eye's sway. Portable arithmetic; the window
// procedure (or any other front end) reads the counter and hands the values
// in.
//
// The animation time grows by about 400 per second of counter time; the eye's
// x and y sway on sines of it between -3 and 3, x repeating about every 9.9 s
// and y about every 11.7 s. The eye's z is never written.
#ifndef VIEW_FRAME_CLOCK_H
#define VIEW_FRAME_CLOCK_H

#include <stdint.h>

// Counter value of the previous frame (or of the window's creation).
extern int64_t g_last_counter;
// Accumulated animation time, from 0.0.
extern double g_anim_time;

// Advances the clock to counter (ticks of frequency per second): adds the
// time since g_last_counter to g_anim_time, stores counter in
// g_last_counter, and writes g_eye.x and g_eye.y for the new time.
void advance_frame_clock(int64_t counter, int64_t frequency);

#endif
