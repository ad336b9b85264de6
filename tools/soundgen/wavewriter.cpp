#include "wavewriter.h"

namespace {

std::string Little(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
    return out;
}

}  // namespace

std::string RiffChunk(const char* tag, const std::string& body)
{
    std::string chunk = std::string(tag, 4) + Little(uint32_t(body.size()), 4) + body;
    if (body.size() % 2)
        chunk += '\0';
    return chunk;
}

std::string WaveFormat(int channels, int bitsPerSample, int rate, int formatTag)
{
    const int blockAlign = channels * bitsPerSample / 8;
    return Little(uint32_t(formatTag), 2) + Little(uint32_t(channels), 2) + Little(uint32_t(rate), 4) +
           Little(uint32_t(rate * blockAlign), 4) + Little(uint32_t(blockAlign), 2) +
           Little(uint32_t(bitsPerSample), 2);
}

std::string RiffWave(const std::string& chunks)
{
    return "RIFF" + Little(uint32_t(chunks.size() + 4), 4) + "WAVE" + chunks;
}

std::string PcmWave(const std::vector<int16_t>& samples, int channels, int rate)
{
    std::string data;
    for (int16_t sample : samples)
        data += Little(uint16_t(sample), 2);
    return RiffWave(RiffChunk("fmt ", WaveFormat(channels, 16, rate)) + RiffChunk("data", data));
}
