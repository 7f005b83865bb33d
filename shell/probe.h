// probe.h - hooks of the measuring build (head_probe.scr). In the saver
// itself they are empty and vanish; the measuring build (HEAD_PROBE defined)
// records when frames are drawn, reads one frame back, and writes a report
// at exit to the file that the environment variable HEAD_PROBE_FILE names.
#ifndef SHELL_PROBE_H
#define SHELL_PROBE_H

#ifdef HEAD_PROBE
// At the program's entry: the clock from which the first frame is timed.
void probe_start();
// After each frame is drawn, before the pause and the swap.
void probe_frame_drawn();
// When the message loop has ended.
void probe_finish();
// True when the environment variable HEAD_PROBE_REFUSE names this step of
// opening the GL window ("pixel_format"): the measuring build then fails it,
// to show how the saver reports such a failure.
bool probe_refuses(const char* step);
#else
inline void probe_start() {}
inline void probe_frame_drawn() {}
inline void probe_finish() {}
inline bool probe_refuses(const char*) { return false; }
#endif

#endif
