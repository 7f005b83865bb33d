// frame_report.h - the measuring builds' account of their frames, the same
// for every front end: when each frame was drawn, on a clock the front end
// reads, and the report written from it at exit. Portable; no platform.
#ifndef VIEW_FRAME_REPORT_H
#define VIEW_FRAME_REPORT_H

#include <stddef.h>
#include <stdint.h>

// Clock readings of one run, in ticks of frequency per second.
struct FrameTimes {
    int64_t frequency;    // ticks per second
    int64_t start;        // at the program's entry
    int64_t first_frame;  // when the first frame was drawn
    int64_t last_frame;   // when the latest frame was drawn
    int32_t frames;       // frames drawn so far
};

// Counts a frame drawn at now.
void note_frame_drawn(FrameTimes* times, int64_t now);

// Writes the report into text (size bytes), one "key value" line each:
// frames; and after at least one frame, milliseconds from the start to the
// first frame (first_frame_ms), frames per second after the first (fps; 0
// when no time passed) and the CPU time per frame in milliseconds
// (cpu_ms_per_frame) from cpu_seconds, the process's CPU time.
void format_frame_report(char* text, size_t size, const FrameTimes* times, double cpu_seconds);

#endif
