// Seed Ogg files for fuzz_music: mono and stereo streams, long enough for
// several pages.
#include "oggencoder.h"
#include "seed_directory.h"

#include <cmath>

int main(int argc, char** argv)
{
    const SeedDirectory out(argc, argv);
    for (int channels : {1, 2}) {
        std::vector<int16_t> samples(size_t(8000 * channels) / 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = int16_t(9000 * std::sin(double(i) * 0.05 * double(1 + i % size_t(channels))));
        const std::string ogg = EncodeOggVorbis(samples, channels, 8000, 0.0f);
        out.Write("tone" + std::to_string(channels) + ".ogg", std::vector<uint8_t>(ogg.begin(), ogg.end()));
    }
    return 0;
}
