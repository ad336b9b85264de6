// The smoothed frames-per-second figure.
#include "engine/framerate.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Drives a meter with frames given as instantaneous rates.
class FrameFeed {
public:
    FrameFeed() { meter.Start(now); }
    float Add(double rate)
    {
        now += 1.0 / rate;
        return meter.AddFrame(now);
    }
    float AddAll(std::initializer_list<double> rates)
    {
        float result = 0.0f;
        for (double rate : rates)
            result = Add(rate);
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
        EXPECT_EQ(feed.Add(rate), kNotEnough) << rate;
    EXPECT_NEAR(feed.Add(37.0), 37.0f, 0.01f);
}

TEST(FrameRateTest, RepeatedRatesCountOnce)
{
    // Power-of-two frame times keep the clock exact, so repeats are exact too.
    FrameFeed feed;
    float result = 0.0f;
    for (int i = 0; i < 30; ++i)
        result = feed.Add(double(1 << (i % 7)));
    EXPECT_EQ(result, kNotEnough);
}

TEST(FrameRateTest, MedianOfLastFifteenRates)
{
    FrameFeed feed;
    EXPECT_NEAR(feed.AddAll({17, 24, 10, 21, 13, 19, 11, 23, 15, 12, 22, 18, 14, 20, 16}), 17.0f,
                0.01f);
    // Fifteen newer frames replace all of them.
    EXPECT_NEAR(feed.AddAll({100, 114, 101, 113, 102, 112, 103, 111, 104, 110, 105, 109, 106, 108,
                             107}),
                107.0f, 0.01f);
}

TEST(FrameRateTest, SingleOutlierFrameDoesNotMoveFigure)
{
    FrameFeed feed;
    const float steady =
        feed.AddAll({60, 66, 58, 71, 63, 69, 61, 72, 64, 59, 67, 62, 70, 65, 68});
    EXPECT_NEAR(steady, 65.0f, 0.01f);
    EXPECT_NEAR(feed.Add(2.0), steady, 0.01f);       // a hitch
    EXPECT_NEAR(feed.Add(10000.0), steady, 0.01f);   // and a spike
}

TEST(FrameRateTest, FrameWithoutElapsedTimeIsSkipped)
{
    FrameFeed feed;
    const float before = feed.AddAll({40, 41, 42, 43, 44, 45, 46, 47});
    const float after = feed.meter.AddFrame(feed.now);
    EXPECT_EQ(after, before);
}

}  // namespace
