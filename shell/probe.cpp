// probe.cpp - the measuring build's hooks (see probe.h). Writes, when
// HEAD_PROBE_FILE names a file:
//   - after the PROBE_READBACK_FRAME-th frame, that frame as read back from
//     the window's own back buffer, a binary PPM (top row first), to
//     HEAD_PROBE_FILE with ".ppm" appended;
//   - when the message loop ends, the report: frames drawn, milliseconds from
//     the program's entry to the first frame, frames per second after it,
//     and CPU time per frame; then the mouse-move messages the window
//     procedure counted (mouse_moves), so a test can tell which of them
//     closed the saver, however many the platform made of the pointer's
//     moves.
// The end-to-end tests use the frame to see what the preview draws (a GL
// child window never reaches the screen under Wine). HEAD_PROBE_REFUSE makes
// a step of opening the GL window fail, to see the failure reported.
#include "probe.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <GL/gl.h>

#include "frame_report.h"
#include "saver_window.h"

namespace {

const int PROBE_READBACK_FRAME = 20;

FrameTimes g_probe_times;

int64_t read_counter()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// The frame in the current draw buffer, as a PPM file.
void write_frame(const char* report_path)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    int width = viewport[2];
    int height = viewport[3];
    if (width <= 0 || height <= 0) return;
    unsigned char* pixels = (unsigned char*)malloc((size_t)width * (size_t)height * 3);
    if (!pixels) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);

    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s.ppm", report_path);
    FILE* f = fopen(path, "wb");
    if (f) {
        fprintf(f, "P6\n%d %d\n255\n", width, height);
        for (int y = height - 1; y >= 0; y--) fwrite(pixels + (size_t)y * (size_t)width * 3, 3, (size_t)width, f);
        fclose(f);
    }
    free(pixels);
}

}  // namespace

bool probe_refuses(const char* step)
{
    const char* refused = getenv("HEAD_PROBE_REFUSE");
    return refused != nullptr && strcmp(refused, step) == 0;
}

void probe_start()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_probe_times.frequency = frequency.QuadPart;
    g_probe_times.start = read_counter();
}

void probe_frame_drawn()
{
    note_frame_drawn(&g_probe_times, read_counter());
    const char* report_path = getenv("HEAD_PROBE_FILE");
    if (report_path && g_probe_times.frames == PROBE_READBACK_FRAME) write_frame(report_path);
}

void probe_finish()
{
    const char* report_path = getenv("HEAD_PROBE_FILE");
    if (!report_path) return;
    FILETIME created, exited, kernel, user;
    double cpu_seconds = 0.0;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        ULARGE_INTEGER k, u;
        k.LowPart = kernel.dwLowDateTime;
        k.HighPart = kernel.dwHighDateTime;
        u.LowPart = user.dwLowDateTime;
        u.HighPart = user.dwHighDateTime;
        cpu_seconds = (double)(k.QuadPart + u.QuadPart) / 1e7;
    }
    char report[256];
    format_frame_report(report, sizeof report, &g_probe_times, cpu_seconds);
    FILE* f = fopen(report_path, "w");
    if (!f) return;
    fputs(report, f);
    fprintf(f, "mouse_moves %d\n", (int)g_mouse_moves);
    fclose(f);
}
