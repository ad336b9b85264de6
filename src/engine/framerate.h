// Frames per second as the median of the last 15 instantaneous rates, so a
// single slow frame does not move the figure.
#pragma once

class FrameRateMeter {
public:
    static constexpr int kSamples = 15;
    static constexpr float kNotEnoughSamples = 1e10f;

    void Start(double now) { previousTime = now; }
    // Records the frame that ended at `now` (seconds); returns the smoothed rate.
    float AddFrame(double now);

private:
    float samples[kSamples] = {};
    int index = 0;
    double previousTime = 0.0;
};
