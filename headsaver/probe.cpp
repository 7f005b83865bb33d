// probe.cpp - the measuring build's hooks (see probe.h).
#include "probe.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "frame_report.h"

namespace {

FrameTimes g_probe_times = {1000000000, 0, 0, 0, 0};  // nanoseconds

int64_t nanoseconds_of(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}

}  // namespace

void probe_start() { g_probe_times.start = nanoseconds_of(CLOCK_MONOTONIC); }

void probe_frame_drawn() { note_frame_drawn(&g_probe_times, nanoseconds_of(CLOCK_MONOTONIC)); }

void probe_finish()
{
    const char* report_path = getenv("HEADSAVER_PROBE_FILE");
    if (!report_path) return;
    char report[256];
    format_frame_report(report, sizeof report, &g_probe_times, (double)nanoseconds_of(CLOCK_PROCESS_CPUTIME_ID) / 1e9);
    FILE* f = fopen(report_path, "w");
    if (!f) return;
    fputs(report, f);
    fclose(f);
}
