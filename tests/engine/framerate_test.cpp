// The smoothed frames-per-second figure.
#include "engine/framerate.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Drives a meter with frames given as instantaneous rates.
class FrameFeed {
public:
    FrameFeed() { meter.Start(now); }
    float Add(std::initializer_list<double> rates)
    {
        float result = 0.0f;
        for (double rate : rates) {
            now += 1.0 / rate;
            result = meter.AddFrame(now);
        }
        return result;
    }
    FrameRateMeter meter;
    double now = 0.0;
};

constexpr float kNotEnough = FrameRateMeter::kNotEnoughSamples;

TEST(FrameRateTest, NotEnoughUntilEightDistinctSamples)
{
    FrameFeed feed;
    for (double rate : {30.0, 31.0, 32.0, 33.0, 34.0, 35.0, 36.0})
        EXPECT_EQ(feed.Add({rate}), kNotEnough) << rate;
    EXPECT_NEAR(feed.Add({37.0}), 37.0f, 0.01f);

    // Repeated rates count once; power-of-two frame times keep the clock exact.
    FrameFeed repeats;
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(repeats.Add({double(1 << (i % 7))}), kNotEnough);
}

TEST(FrameRateTest, MedianOfLastFifteenRatesIgnoresOutliers)
{
    FrameFeed feed;
    EXPECT_NEAR(feed.Add({17, 24, 10, 21, 13, 19, 11, 23, 15, 12, 22, 18, 14, 20, 16}), 17.0f, 0.01f);
    // Fifteen newer frames replace all of them.
    const float steady = feed.Add({60, 66, 58, 71, 63, 69, 61, 72, 64, 59, 67, 62, 70, 65, 68});
    EXPECT_NEAR(steady, 65.0f, 0.01f);
    EXPECT_NEAR(feed.Add({2.0}), steady, 0.01f);      // a hitch
    const float spiked = feed.Add({10000.0});          // and a spike
    EXPECT_NEAR(spiked, steady, 0.01f);
    EXPECT_EQ(feed.meter.AddFrame(feed.now), spiked) << "a frame without elapsed time is skipped";
}

}  // namespace
