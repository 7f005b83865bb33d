// probe.cpp - the measuring build's hooks (see probe.h).
#include "probe.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

namespace {

double g_probe_start = 0.0;
double g_probe_first_frame = 0.0;
double g_probe_last_frame = 0.0;
int g_probe_frames = 0;

double seconds_of(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

}  // namespace

void probe_start() { g_probe_start = seconds_of(CLOCK_MONOTONIC); }

void probe_frame_drawn()
{
    double now = seconds_of(CLOCK_MONOTONIC);
    if (g_probe_frames == 0) g_probe_first_frame = now;
    g_probe_last_frame = now;
    g_probe_frames++;
}

void probe_finish()
{
    const char* report_path = getenv("HEADSAVER_PROBE_FILE");
    if (!report_path) return;
    double cpu_seconds = seconds_of(CLOCK_PROCESS_CPUTIME_ID);
    FILE* f = fopen(report_path, "w");
    if (!f) return;
    fprintf(f, "frames %d\n", g_probe_frames);
    if (g_probe_frames > 0) {
        double running = g_probe_last_frame - g_probe_first_frame;
        fprintf(f, "first_frame_ms %.1f\n", (g_probe_first_frame - g_probe_start) * 1000.0);
        fprintf(f, "fps %.1f\n", running > 0.0 ? (double)(g_probe_frames - 1) / running : 0.0);
        fprintf(f, "cpu_ms_per_frame %.2f\n", cpu_seconds * 1000.0 / (double)g_probe_frames);
    }
    fclose(f);
}
