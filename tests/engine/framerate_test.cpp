// The smoothed frames-per-second figure.
#include "engine/framerate.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Feeds frames given as instantaneous rates; returns the last figure.
float Feed(FrameRateMeter& meter, double& now, std::initializer_list<double> rates)
{
    float result = 0.0f;
    for (double rate : rates)
        result = meter.AddFrame(now += 1.0 / rate);
    return result;
}

TEST(FrameRateTest, MedianOfTheLastFifteenRatesOnceEightAreDistinct)
{
    constexpr float kNotEnough = FrameRateMeter::kNotEnoughSamples;
    FrameRateMeter meter, repeats;
    double now = 0.0, repeatsNow = 0.0;
    EXPECT_EQ(Feed(meter, now, {30, 31, 32, 33, 34, 35, 36}), kNotEnough);
    EXPECT_NEAR(Feed(meter, now, {37}), 37.0f, 0.01f);
    // Repeated rates count once; power-of-two frame times keep the clock exact.
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(Feed(repeats, repeatsNow, {double(1 << (i % 7))}), kNotEnough);

    EXPECT_NEAR(Feed(meter, now, {17, 24, 10, 21, 13, 19, 11, 23, 15, 12, 22, 18, 14, 20, 16}), 17.0f, 0.01f);
    // Fifteen newer frames replace all of them; a hitch and a spike move nothing.
    const float steady = Feed(meter, now, {60, 66, 58, 71, 63, 69, 61, 72, 64, 59, 67, 62, 70, 65, 68});
    EXPECT_NEAR(steady, 65.0f, 0.01f);
    EXPECT_NEAR(Feed(meter, now, {2.0, 10000.0}), steady, 0.01f);
    EXPECT_NEAR(meter.AddFrame(now), steady, 0.01f) << "a frame without elapsed time is skipped";
}

}  // namespace
