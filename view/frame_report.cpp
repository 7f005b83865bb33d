// frame_report.cpp - the measuring builds' frame report; see frame_report.h.
#include "frame_report.h"

#include <stdio.h>

namespace {

double seconds_between(const FrameTimes* times, int64_t from, int64_t to)
{
    return (double)(to - from) / (double)times->frequency;
}

}  // namespace

void note_frame_drawn(FrameTimes* times, int64_t now)
{
    if (times->frames == 0) times->first_frame = now;
    times->last_frame = now;
    times->frames++;
}

void format_frame_report(char* text, size_t size, const FrameTimes* times, double cpu_seconds)
{
    int length = snprintf(text, size, "frames %d\n", times->frames);
    if (times->frames <= 0 || length < 0 || (size_t)length >= size) return;
    double running = seconds_between(times, times->first_frame, times->last_frame);
    snprintf(text + length, size - (size_t)length, "first_frame_ms %.1f\nfps %.1f\ncpu_ms_per_frame %.2f\n",
             seconds_between(times, times->start, times->first_frame) * 1000.0,
             running > 0.0 ? (double)(times->frames - 1) / running : 0.0, cpu_seconds * 1000.0 / (double)times->frames);
}
