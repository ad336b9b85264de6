#include "engine/framerate.h"

float FrameRateMeter::AddFrame(double now)
{
    double elapsed = now - previousTime;
    previousTime = now;
    if (elapsed > 0.0) {
        ++index;
        samples[index - 1] = float(1.0 / elapsed);
        if (index > kSamples - 1)
            index = 0;
    }
    // The 8th smallest distinct written sample: with 15 distinct samples, the median.
    float result = 0.0f;
    for (int pass = 0; pass < 8; ++pass) {
        float smallest = kNotEnoughSamples;
        for (float sample : samples)
            if (sample > result && sample < smallest)
                smallest = sample;
        result = smallest;
    }
    return result;
}
