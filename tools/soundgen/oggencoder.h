// Ogg Vorbis files made from samples, for the starter game's music and for
// the tests, benchmarks and fuzz seeds that need a real stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit samples of `channels` channels at `rate` Hz, encoded
// at a variable bit rate of the given quality (-0.1 to 1).
std::string EncodeOggVorbis(const std::vector<int16_t>& samples, int channels, int rate, float quality = 0.3f);
