// probe.h - hooks of headsaver's measuring build (headsaver_probe). In
// headsaver itself they are empty and vanish; the measuring build
// (HEADSAVER_PROBE defined) records when frames are drawn and, at exit,
// writes a report to the file that the environment variable
// HEADSAVER_PROBE_FILE names, the same report as the Windows saver's
// measuring build writes (frame_report.h): frames, milliseconds from the
// program's entry to the first frame, frames per second after it, CPU time
// per frame.
#ifndef HEADSAVER_PROBE_H
#define HEADSAVER_PROBE_H

#ifdef HEADSAVER_PROBE
// At the program's entry: the clock from which the first frame is timed.
void probe_start();
// After each frame is drawn, before the pause and the swap.
void probe_frame_drawn();
// When the frame loop has ended.
void probe_finish();
#else
inline void probe_start() {}
inline void probe_frame_drawn() {}
inline void probe_finish() {}
#endif

#endif
