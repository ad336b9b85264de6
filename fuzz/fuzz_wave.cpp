// WAV files: any bytes through the reader, which must keep to them and
// give only whole frames of a format OpenAL plays.
#include "sound/wavereader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WaveSound sound;
    if (ReadWave(data, size, sound)) {
        const size_t frame = sound.format == AL_FORMAT_MONO8 ? 1 : sound.format == AL_FORMAT_STEREO16 ? 4 : 2;
        if (sound.samples.empty() || sound.samples.size() % frame != 0 || sound.samples.size() > size ||
            sound.frequency <= 0)
            abort();
    }
    return 0;
}
