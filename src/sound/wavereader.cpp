#include "sound/wavereader.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Read16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

bool TagIs(const uint8_t* p, const char* tag)
{
    return memcmp(p, tag, 4) == 0;
}

struct Format {
    bool present = false;
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

constexpr uint64_t kFormatChunkSize = 16;
constexpr uint64_t kSamplerChunkSize = 36;  // the header up to and with the sampler-data size
constexpr uint64_t kSamplerLoopCount = 28;

}  // namespace

bool ReadWave(const uint8_t* bytes, size_t size, WaveSound& sound)
{
    sound = WaveSound();
    if (size < 12 || !TagIs(bytes, "RIFF") || !TagIs(bytes + 8, "WAVE"))
        return false;
    // The chunks fill the RIFF size, rounded to even, less the form tag; a
    // size past the end of the file is held to the bytes present. Sizes are
    // 64-bit so no sum of 32-bit fields wraps.
    const uint64_t riffSize = (uint64_t(Read32(bytes + 4)) + 1) & ~uint64_t(1);
    const uint64_t end = riffSize < 4 ? 12 : std::min<uint64_t>(size, 8 + riffSize);

    Format format;
    const uint8_t* data = nullptr;
    uint64_t dataSize = 0;
    uint64_t position = 12;
    while (position + 8 <= end) {
        const uint8_t* chunk = bytes + position;
        const uint64_t declared = Read32(chunk + 4);
        const uint64_t available = end - position - 8;
        const uint64_t length = std::min(declared, available);
        const uint8_t* body = chunk + 8;
        if (TagIs(chunk, "fmt ")) {
            if (length < kFormatChunkSize)
                return false;
            format.present = true;
            format.tag = Read16(body);
            format.channels = Read16(body + 2);
            format.rate = Read32(body + 4);
            format.bits = Read16(body + 14);
        } else if (TagIs(chunk, "data") && !data) {
            data = body;
            dataSize = length;
        } else if (TagIs(chunk, "smpl") && length >= kSamplerChunkSize) {
            sound.loop = Read32(body + kSamplerLoopCount) != 0;
        }
        // A chunk cut off by the end is the last one.
        if (declared > available)
            break;
        position += 8 + declared + (declared & 1);
    }

    const bool pcm = format.present && format.tag == 1 && (format.channels == 1 || format.channels == 2) &&
                     (format.bits == 8 || format.bits == 16) && format.rate > 0 && format.rate <= 0x7fffffff;
    if (!pcm || !data)
        return false;
    const uint64_t frameSize = uint64_t(format.channels) * (format.bits / 8);
    const uint64_t wholeFrames = dataSize - dataSize % frameSize;
    if (wholeFrames == 0)
        return false;
    if (format.channels == 1)
        sound.format = format.bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    else
        sound.format = format.bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
    sound.frequency = int(format.rate);
    sound.samples.assign(data, data + wholeFrames);
    return true;
}
