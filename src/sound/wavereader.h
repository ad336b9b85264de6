// Reads a RIFF WAVE file held in memory into what an OpenAL buffer takes.
// Files come from mods, so every chunk is checked against the bytes that
// are there: a damaged file yields its whole frames or nothing, never a
// read past the end.
#pragma once

#include <AL/al.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct WaveSound {
    ALenum format = AL_FORMAT_MONO16;
    std::vector<uint8_t> samples;  // whole frames only
    int frequency = 22050;
    bool loop = false;  // the sampler chunk asks for a loop
};

// True when the bytes hold 8- or 16-bit PCM in one or two channels at a
// non-zero rate with at least one frame; anything else cannot be played.
bool ReadWave(const uint8_t* bytes, size_t size, WaveSound& sound);
