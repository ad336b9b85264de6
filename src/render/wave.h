// Periodic functions of time that shaders and effects animate with.
#pragma once

#include <cstdint>
#include <string>

constexpr float kTwoPi = 6.28318530718f;

enum WaveForm { kWaveSine, kWaveTriangle, kWaveSquare, kWaveSawtooth, kWaveInverseSawtooth };

// The form a definition file names ("sin", "isawtooth", ...), or -1.
int WaveFormFromName(const std::string& name);

// base + amp * w(f), f the fraction of (t + phase) * freq and w the form's
// shape over one period, from -1 to 1; t in milliseconds, phase and freq
// per millisecond. An unknown form yields f itself.
float EvaluateWave(int form, float base, float amp, float phase, float freq, uint32_t t);
