#include "render/wave.h"

#include <cmath>

int WaveFormFromName(const std::string& name)
{
    if (name == "sine" || name == "sin")
        return kWaveSine;
    if (name == "triangle")
        return kWaveTriangle;
    if (name == "square")
        return kWaveSquare;
    if (name == "sawtooth")
        return kWaveSawtooth;
    if (name == "isawtooth" || name == "inversesawtooth")
        return kWaveInverseSawtooth;
    return -1;
}

float EvaluateWave(int form, float base, float amp, float phase, float freq, uint32_t t)
{
    const float x = (float(t) + phase) * freq;
    const float f = x - std::floor(x);
    float value;
    switch (form) {
    case kWaveSine:
        value = std::sin(kTwoPi * f);
        break;
    case kWaveTriangle: {
        const float u = f < 0.5f ? 2.0f * f : 2.0f - 2.0f * f;
        value = 2.0f * u - 1.0f;
        break;
    }
    case kWaveSquare:
        value = f < 0.5f ? 1.0f : -1.0f;
        break;
    case kWaveSawtooth:
        value = 2.0f * f - 1.0f;
        break;
    case kWaveInverseSawtooth:
        value = 1.0f - 2.0f * f;
        break;
    default:
        value = f;
        break;
    }
    return value * amp + base;
}
