// The frame clock: animation time from counter deltas, and the eye's sway.
#include <math.h>
#include <stdint.h>

#include <gtest/gtest.h>

#include "frame_clock.h"
#include "view.h"

namespace {

const int64_t FREQUENCY = 10000000;  // ticks per second
// The rates and the scale as given, written out rather than computed.
const double RATE_X = 0.0015866631313131313;
const double RATE_Y = 0.0013425611111111111;

class FrameClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_eye = g_eye;
        g_anim_time = 0.0;
        g_last_counter = 0;
        g_eye = {3.0f, 4.0f, 4.0f};
    }
    void TearDown() override
    {
        g_eye = saved_eye;
        g_anim_time = 0.0;
        g_last_counter = 0;
    }
    Vec3 saved_eye;
};

TEST_F(FrameClock, OneSecondIsFourHundredUnits)
{
    advance_frame_clock(FREQUENCY, FREQUENCY);
    // 100000 times the single-precision 0.004, widened.
    EXPECT_DOUBLE_EQ(g_anim_time, 400.0000189989805);
    EXPECT_EQ(g_last_counter, FREQUENCY);
    advance_frame_clock(FREQUENCY + FREQUENCY / 2, FREQUENCY);
    EXPECT_DOUBLE_EQ(g_anim_time, 600.00002849847078);
}

TEST_F(FrameClock, EyeSwaysOnTheTwoSinesAndKeepsItsDistance)
{
    for (int64_t step = 1; step <= 50; step++) {
        advance_frame_clock(step * 7654321, FREQUENCY);
        EXPECT_EQ(g_eye.x, (float)(sin(g_anim_time * RATE_X) * 3.0)) << step;
        EXPECT_EQ(g_eye.y, (float)(sin(g_anim_time * RATE_Y) * 3.0)) << step;
        EXPECT_EQ(g_eye.z, 4.0f);
        EXPECT_LE(fabsf(g_eye.x), 3.0f);
        EXPECT_LE(fabsf(g_eye.y), 3.0f);
    }
}

TEST_F(FrameClock, SwayPeriodsAreAboutTenAndTwelveSeconds)
{
    // A quarter turn of x takes 990 units, 2.475 s: the eye is at its edge.
    advance_frame_clock(FREQUENCY * 2475 / 1000, FREQUENCY);
    EXPECT_NEAR(g_eye.x, 3.0f, 1e-4);
    // A whole turn of x, 9.9 s: back at the middle.
    g_anim_time = 0.0;
    g_last_counter = 0;
    advance_frame_clock(FREQUENCY * 99 / 10, FREQUENCY);
    EXPECT_NEAR(g_eye.x, 0.0f, 1e-3);
    // A whole turn of y, 11.7 s.
    g_anim_time = 0.0;
    g_last_counter = 0;
    advance_frame_clock(FREQUENCY * 117 / 10, FREQUENCY);
    EXPECT_NEAR(g_eye.y, 0.0f, 1e-3);
}

TEST_F(FrameClock, ZeroDeltaRepeatsTheEye)
{
    advance_frame_clock(123456789, FREQUENCY);
    double time = g_anim_time;
    Vec3 eye = g_eye;
    advance_frame_clock(123456789, FREQUENCY);
    EXPECT_EQ(g_anim_time, time);
    EXPECT_EQ(g_eye.x, eye.x);
    EXPECT_EQ(g_eye.y, eye.y);
}

TEST_F(FrameClock, CounterThatWrapsCountsTheTicksBetween)
{
    g_last_counter = INT64_MAX;
    advance_frame_clock(INT64_MIN + FREQUENCY - 1, FREQUENCY);
    EXPECT_DOUBLE_EQ(g_anim_time, 400.0000189989805);
}

TEST_F(FrameClock, NoFrequencyStandsStill)
{
    advance_frame_clock(FREQUENCY, FREQUENCY);
    double time = g_anim_time;
    for (int64_t frequency : {(int64_t)0, (int64_t)-5}) {
        advance_frame_clock(FREQUENCY * 3, frequency);
        EXPECT_EQ(g_anim_time, time);
        EXPECT_TRUE(isfinite(g_eye.x) && isfinite(g_eye.y));
    }
}

}  // namespace
