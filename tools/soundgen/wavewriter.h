// RIFF WAVE files built chunk by chunk, so that tests can also build
// damaged ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A chunk: its tag, its size, its body and a pad byte when the size is odd.
std::string RiffChunk(const char* tag, const std::string& body);
// The 16 bytes of a "fmt " chunk's body.
std::string WaveFormat(int channels, int bitsPerSample, int rate, int formatTag = 1);
// "RIFF", the size of what follows, "WAVE" and the chunks.
std::string RiffWave(const std::string& chunks);
// A whole 16-bit PCM file from interleaved samples.
std::string PcmWave(const std::vector<int16_t>& samples, int channels, int rate);
