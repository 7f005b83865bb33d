// The measuring builds' frame report, the same text for both front ends:
// frames counted as they are drawn, and the report's lines from those times.
#include <string>

#include <gtest/gtest.h>

#include "frame_report.h"

namespace {

std::string report_of(const FrameTimes& times, double cpu_seconds)
{
    char text[256];
    format_frame_report(text, sizeof text, &times, cpu_seconds);
    return text;
}

TEST(FrameReport, FramesFirstFrameRateAndCpuTime)
{
    FrameTimes times = {1000, 100, 0, 0, 0};  // milliseconds
    EXPECT_EQ(report_of(times, 0.5), "frames 0\n");
    note_frame_drawn(&times, 350);
    EXPECT_EQ(report_of(times, 0.5), "frames 1\nfirst_frame_ms 250.0\nfps 0.0\ncpu_ms_per_frame 500.00\n");
    for (int64_t now : {600, 850, 1100, 1350}) note_frame_drawn(&times, now);
    EXPECT_EQ(times.first_frame, 350);
    EXPECT_EQ(report_of(times, 0.5), "frames 5\nfirst_frame_ms 250.0\nfps 4.0\ncpu_ms_per_frame 100.00\n");
}

}  // namespace
